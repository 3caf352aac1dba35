#include "app/Commands.h"
#include "render/FontCaches.h"

#include <iostream>

using namespace orvessa;

namespace {

int runCommand(int argc, char** argv)
{
    CLI::App app { "orvessa: a photo-slideshow widget for a pull-down notification panel, with the panel that hosts it" };
    app.require_subcommand(1);
    app.footer("Run 'orvessa SUBCOMMAND --help' for a subcommand's options.");
    CommonOptions common;

    std::vector<Subcommand> commands {
        addRunCommand(app, common),
        addRecordCommand(app, common),
        addSnapshotCommand(app, common),
        addScriptCommand(app, common),
        addPhotosCommand(app, common),
    };

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
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
