#include "app/Commands.h"
#include "host/OutputError.h"
#include "platform/Utf8.h"
#include "render/FontCaches.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#ifndef ORVESSA_VERSION
#error "ORVESSA_VERSION must hold the project's version"
#endif

using namespace orvessa;

namespace {

// The parser's messages repeat what was typed; they are shown escaped and cut short.
constexpr std::size_t kMaximumParserMessage = 300;

// The parser reports an unknown word in the subcommand's place only as a missing subcommand.
std::optional<std::string> unknownSubcommand(int argc, char** argv, const std::vector<Subcommand>& commands)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word.starts_with("-"))
            continue;
        for (const auto& subcommand : commands) {
            if (subcommand.command->check_name(std::string(word)))
                return std::nullopt;
        }
        return std::string(word);
    }
    return std::nullopt;
}

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

    if (auto word = unknownSubcommand(argc, argv, commands)) {
        std::cerr << "orvessa: " << quotedForMessage(*word) << " is not a subcommand (run, record, snapshot, script or photos; see orvessa --help)\n";
        return kExitUsage;
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {
        // --help, --help-all and --version: printed on standard output, status 0.
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        std::cerr << "orvessa: " << printablePrefix(error.what(), kMaximumParserMessage) << " (see orvessa --help)\n";
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
    } catch (const OutputError& error) {
        std::cerr << "orvessa: " << error.what() << '\n';
        return error.isUsersToMend() ? kExitUsage : kExitFailure;
    } catch (const std::exception& error) {
        std::cerr << "orvessa: " << error.what() << '\n';
        return kExitFailure;
    }
    return kExitUsage;
}

int runAndFlush(int argc, char** argv)
{
    int status = runCommand(argc, argv);
    releaseFontCaches();
    // Dumps and reports that could not all be written are a failure, not a success with less output.
    errno = 0;
    if (!std::cout.flush() && status == kExitSuccess) {
        std::cerr << "orvessa: cannot write to standard output" << (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string()) << '\n';
        status = kExitFailure;
    }
    return status;
}

}

int main(int argc, char** argv)
{
    try {
        return runAndFlush(argc, argv);
    } catch (...) {
        // What escapes even the subcommands' reporting (memory running out while printing a
        // failure) still ends as a failure, not an abort.
        return kExitFailure;
    }
}
