#pragma once

#include "support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace command_run {

struct Result {
    int status { -1 };
    std::string out;
    std::string err;
};

// Runs a shell command line with the given standard input, collecting its output; `{orvessa}` in
// the line stands for the built command. Only the tests use a shell; the product never does.
inline Result shell(const std::string& line, const std::string& input = "")
{
    testing_support::TempFolder scratch;
    auto inputFile = scratch.write("in", input);
    std::string expanded = line;
    for (std::size_t at; (at = expanded.find("{orvessa}")) != std::string::npos;)
        expanded.replace(at, 9, ORVESSA_COMMAND);
    std::string command = "( " + expanded + " ) < '" + inputFile.string() + "' > '" + (scratch.path() / "out").string() + "' 2> '" + (scratch.path() / "err").string() + "'";
    int raw = std::system(command.c_str());
    auto slurp = [&](const char* name) {
        std::ifstream in(scratch.path() / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    return { WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp("out"), slurp("err") };
}

// Runs the built command with arguments quoted for the shell.
inline Result run(const std::string& arguments, const std::string& input = "")
{
    return shell("{orvessa} " + arguments, input);
}

inline std::string quote(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

inline std::size_t lineCount(const std::string& text)
{
    return std::size_t(std::count(text.begin(), text.end(), '\n'));
}

}
