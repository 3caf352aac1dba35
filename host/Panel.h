#pragma once

#include "platform/Context.h"
#include "platform/Geometry.h"
#include "platform/View.h"
#include "platform/WeeAppController.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvessa {

// What the host is told on the command line.
struct HostOptions {
    std::filesystem::path resourcesFolder; // Holds Orvessa.bundle, StocksWeeApp.bundle and demo-home.
    std::optional<std::filesystem::path> home; // See homeFolder() for what is mounted when not given.
    std::optional<std::filesystem::path> photos; // Mounted over the camera roll when given.
    std::string osVersion { "6.1" };
    std::optional<std::uint64_t> seed; // Fresh randomness when not given.
    float scale { 2 };
    bool realTime { false }; // The steady clock instead of a virtual one.
};

// The folder mounted as the device's home: the one given; else, when only photos are given, none at
// all (no other photos, no preferences), so that those photos alone show; else the demo home.
std::optional<std::filesystem::path> homeFolder(const HostOptions&);

// The device filesystem the host mounts for these options.
DeviceFilesystem deviceFilesystemFor(const HostOptions&);

// The notification panel: a 320 x 240 window with the widget's row at (2, 20). It creates the widget
// by class name and drives it through the host protocol alone, in the host's order unless a script
// breaks it on purpose. It owns the platform context everything runs in.
class Panel {
public:
    static constexpr CGRect kWindowFrame { { 0, 0 }, { 320, 240 } };
    static constexpr CGPoint kRowOrigin { 2, 20 };
    static constexpr const char* kWidgetClassName = "OrvessaController";

    explicit Panel(const HostOptions&);
    ~Panel(); // Quits: closes the panel, then releases the widget.
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // The host's steps. Each does nothing where it cannot apply (no widget, no row).
    void create();
    void placeholder();
    void full();
    void unload();
    void destroy();
    void open(); // create if needed, placeholder, full.
    void close() { unload(); }
    // A tap in the row's coordinates; it reaches the widget only as a tap location.
    void tap(CGPoint rowPoint);
    void advance(TimeInterval seconds);
    void resize(float width);
    // Dismisses the topmost alert through its cancel button; false when none is shown.
    bool dismissTopAlert();
    // A click at a window point, as the desktop window reports it: an alert's button, the row, or nothing.
    void clickInWindow(CGPoint windowPoint);

    PlatformContext& context() { return *m_context; }
    UIWindow& window() { return *m_window; }
    TimeInterval now() const;
    std::shared_ptr<BBWeeAppController> widget() const { return m_widget; }
    // The row as the host sees it: the widget's view while it is in the window.
    std::shared_ptr<UIView> row() const { return m_row; }
    const std::vector<std::string>& openedURLs() const { return m_openedURLs; }
    // Called for every link the widget opens, after it is recorded; return false to refuse it.
    void setLinkOpener(std::function<bool(const std::string&)> opener) { m_linkOpener = std::move(opener); }

private:
    std::unique_ptr<PlatformContext> m_context;
    std::optional<ContextScope> m_scope;
    std::shared_ptr<UIWindow> m_window;
    std::shared_ptr<BBWeeAppController> m_widget;
    std::shared_ptr<UIView> m_row;
    std::vector<std::string> m_openedURLs;
    std::function<bool(const std::string&)> m_linkOpener;
};

}
