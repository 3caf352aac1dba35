#include "app/Commands.h"

#include "host/Script.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace orvessa {

std::string readScript(const std::string& file)
{
    if (file == "-")
        return std::string(std::istreambuf_iterator<char>(std::cin), {});
    std::ifstream stream(file);
    if (!stream)
        throw UsageError(file + ": cannot read the script");
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

Subcommand addScriptCommand(CLI::App& app, CommonOptions& common)
{
    auto* command = app.add_subcommand("script", "Run a host script (a file, or - for standard input) and print its dumps");
    addCommonOptions(*command, common);
    auto file = std::make_shared<std::string>("-");
    command->add_option("file", *file, "The script: one command a line (create, placeholder, full, tap X Y, advance S, resize W, dismiss, dump, snapshot FILE, unload, destroy)")->capture_default_str();
    command->footer("Each dump prints one line of JSON. A bad line stops the script with 'line N: ...' and exit status 2.");

    auto run = [file, &common] {
        std::istringstream in(readScript(*file));
        HostOptions options = hostOptions(common);
        Panel panel(options);
        ScriptRunner runner(panel, std::cout, scriptSnapshotWriter(options));
        if (auto error = runner.run(in)) {
            std::cerr << (*file == "-" ? std::string("script") : *file) << ": line " << error->line << ": " << error->message << '\n';
            return kExitUsage;
        }
        return kExitSuccess;
    };
    return { command, run };
}

}
