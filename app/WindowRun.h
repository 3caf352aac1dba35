#pragma once

#include "app/OutputFormats.h"
#include "host/OutputFolder.h"
#include "host/Panel.h"

#include <optional>

namespace orvessa {

// What `orvessa run` asks of the window, checked by the command before the window code is loaded.
struct WindowRun {
    HostOptions host;
    std::optional<double> seconds; // Runs until the user quits when not given.
    std::optional<OutputFile> screenshot;
    OutputFormat screenshotFormat { OutputFormat::Png };
    bool stats { false }; // Print the frame-timing figures as JSON on standard output at exit.
    bool decodeAhead { true }; // The window decodes the photos the widget will show next ahead.
};

// The window code lives in a module of its own, loaded only by `run`, so that every other
// subcommand starts without SDL and the libraries it brings. The module resolves everything else
// it uses against the program.
using RunWindowEntry = int (*)(const WindowRun&);
inline constexpr const char* kRunWindowSymbol = "orvessa_run_window";
inline constexpr const char* kWindowModuleName = "orvessa-window.so";

// Loads the window module from beside the program (installed, or in the build tree) and runs the
// window. Throws std::runtime_error naming the places looked in when it cannot be loaded; passes on
// what the window throws.
int runWindow(const WindowRun&);

}
