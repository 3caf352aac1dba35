#pragma once

#include "controller/OrvessaController.h"
#include "host/Panel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

// A panel over a fresh test home, with the widget reachable by its class for white-box checks.
struct WidgetTest : testing::Test {
    testing_support::TestHome home;
    std::unique_ptr<orvessa::Panel> panel;

    orvessa::Panel& makePanel(orvessa::HostOptions options)
    {
        panel = std::make_unique<orvessa::Panel>(options);
        return *panel;
    }
    orvessa::Panel& makePanel() { return makePanel(testing_support::panelOptions(home.path())); }
    orvessa::Panel& openPanel()
    {
        if (!panel)
            makePanel();
        panel->open();
        return *panel;
    }
    OrvessaController& widget() { return *std::dynamic_pointer_cast<OrvessaController>(panel->widget()); }
    std::shared_ptr<OrvessaController> widgetPointer() { return std::dynamic_pointer_cast<OrvessaController>(panel->widget()); }

    // Photos named 1.JPG ... n.JPG in the camera roll, in listing order as the image list sees them.
    void addPhotos(int count)
    {
        for (int i = 1; i <= count; ++i)
            home.addPhoto("IMG_" + std::to_string(1000 + i) + ".JPG", { std::uint8_t(20 * i), 80, 120 });
    }
    std::string imagePathShown()
    {
        auto image = widget().picFrame()->image();
        return image ? image->path() : "";
    }
    void TearDown() override { panel.reset(); }
};
