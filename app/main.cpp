#include "app/Commands.h"
#include "render/FontCaches.h"

#include <iostream>

#ifndef ORVESSA_VERSION
#error "ORVESSA_VERSION must hold the project's version"
#endif

using namespace orvessa;

namespace {

int runCommand(int argc, char** argv)
{
    // Named, so that help says "orvessa" whatever path or link it was started through.
    CLI::App app { "orvessa: a photo-slideshow widget for a pull-down notification panel, with the panel that hosts it", "orvessa" };
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Print the help of every subcommand and exit");
    app.set_version_flag("-V,--version", std::string("orvessa ") + ORVESSA_VERSION, "Print the version and exit");
    CommonOptions common;

    std::vector<Subcommand> commands {
        addRunCommand(app, common),
        addRecordCommand(app, common),
        addSnapshotCommand(app, common),
        addScriptCommand(app, common),
        addPhotosCommand(app, common),
    };
    // Set after the subcommands are made, which would otherwise inherit it.
    app.footer("Run 'orvessa SUBCOMMAND --help' for a subcommand's options, or 'orvessa --help-all' for all of them.");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {
        // --help, --help-all and --version: printed on standard output, status 0.
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        std::cerr << "orvessa: " << error.what() << " (see orvessa --help)\n";
        return kExitUsage;
    }

    try {
        for (auto& subcommand : commands) {
            if (subcommand.command->parsed())
                return subcommand.run();
        }
    } catch (const UsageError& error) {
        std::cerr << "orvessa: " << error.what() << '\n';
        return kExitUsage;
    } catch (const std::exception& error) {
        std::cerr << "orvessa: " << error.what() << '\n';
        return kExitFailure;
    }
    return kExitUsage;
}

}

int main(int argc, char** argv)
{
    int status = runCommand(argc, argv);
    releaseFontCaches();
    return status;
}
