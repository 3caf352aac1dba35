#include "app/Commands.h"

#include "host/FileDescriptor.h"
#include "host/InterruptCleanup.h"
#include "host/Script.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sstream>

namespace orvessa {

namespace {

constexpr std::size_t kLimit = ScriptRunner::kMaximumScriptBytes;

std::string tooLarge(const std::string& name)
{
    return name + ": larger than " + std::to_string(kLimit) + " bytes, the most a script may hold";
}

// Reads to the end, but never more than one byte past the limit: standard input may be endless.
std::string readLimited(int fd, const std::string& name)
{
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            throw UsageError(name + ": cannot read the script (" + std::strerror(errno) + ")");
        }
        if (count == 0)
            return text;
        if (text.size() + std::size_t(count) > kLimit)
            throw UsageError(tooLarge(name));
        text.append(buffer, std::size_t(count));
    }
}

}

std::string readScript(const std::string& file)
{
    if (file == "-")
        return readLimited(STDIN_FILENO, "standard input");
    std::string name = printableArgument(file);
    // Not blocking, so that a named pipe is refused rather than waited on.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd)
        throw UsageError(name + ": cannot read the script (" + std::strerror(errno) + ")");
    struct stat status { };
    if (::fstat(fd.get(), &status) != 0)
        throw UsageError(name + ": cannot read the script (" + std::strerror(errno) + ")");
    if (!S_ISREG(status.st_mode))
        throw UsageError(name + ": not a regular file; a script is a file, or - for standard input");
    if (std::uintmax_t(status.st_size) > kLimit)
        throw UsageError(tooLarge(name));
    return readLimited(fd.get(), name);
}

int reportScriptError(const std::string& file, const ScriptError& error)
{
    std::cerr << (file == "-" ? std::string("script") : printableArgument(file)) << ": line " << error.line << ": " << error.message << '\n';
    return error.isUsersToMend ? kExitUsage : kExitFailure;
}

Subcommand addScriptCommand(CLI::App& app, CommonOptions& common)
{
    auto* command = app.add_subcommand("script", "Run a host script (a file, or - for standard input) and print its dumps");
    addCommonOptions(*command, common);
    auto file = std::make_shared<std::string>("-");
    command->add_option("file", *file, "The script: one command a line (create, placeholder, full, tap X Y, advance S, resize W, dismiss, dump, snapshot FILE, unload, destroy)")->capture_default_str()->check(notEmpty());
    command->footer("Each dump prints one line of JSON, its strings valid UTF-8 (other bytes become U+FFFD). A bad line stops the script with 'line N: ...' and exit status 2.\n"
                    "A script is a regular file or standard input, at most "
        + std::to_string(ScriptRunner::kMaximumScriptBytes) + " bytes, each line at most " + std::to_string(ScriptRunner::kMaximumLineBytes) + " bytes.");

    auto run = [file, &common] {
        removeTemporaryFilesOnInterrupt();
        std::istringstream in(readScript(*file));
        HostOptions options = hostOptions(common);
        Panel panel(options);
        ScriptRunner runner(panel, std::cout, scriptSnapshotWriter(options));
        if (auto error = runner.run(in))
            return reportScriptError(*file, *error);
        return kExitSuccess;
    };
    return { command, run };
}

}
