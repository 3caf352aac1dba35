#pragma once

#include "host/Panel.h"
#include "host/Script.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <stdexcept>
#include <string>

namespace orvessa {

// Exit statuses of the command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A failure the user can mend: one line on standard error, naming the file or argument.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The options every subcommand takes, as given on the command line.
struct CommonOptions {
    std::string home;
    std::string photos;
    std::string osVersion { "6.1" };
    std::string seed;
    int scale { 2 };
};

void addCommonOptions(CLI::App&, CommonOptions&);
// Checks the options and finds the resources; throws UsageError, or std::runtime_error for an
// incomplete installation.
HostOptions hostOptions(const CommonOptions&);

// The folder of the widget's pictures and the demo home: the one ORVESSA_RESOURCES names, else the
// installed one beside the program (../share/orvessa), else the build tree's. Throws UsageError for
// a variable naming no such folder, std::runtime_error naming the places looked in or the first
// missing file.
std::filesystem::path locateResources();
// Throws std::runtime_error naming the first file of the demo home that is missing.
void requireDemoHome(const std::filesystem::path& resources);

// Each subcommand registers its options and returns what runs it.
struct Subcommand {
    CLI::App* command;
    std::function<int()> run;
};
Subcommand addRunCommand(CLI::App&, CommonOptions&);
Subcommand addRecordCommand(CLI::App&, CommonOptions&);
Subcommand addSnapshotCommand(CLI::App&, CommonOptions&);
Subcommand addScriptCommand(CLI::App&, CommonOptions&);
Subcommand addPhotosCommand(CLI::App&, CommonOptions&);

// Refuses an empty value for an option: a value given as '' is a mistake, not "not given".
CLI::Validator notEmpty();
// A value the user gave, as an error message may show it: escaped, and cut when long.
std::string printableArgument(const std::string&);

// What a script's snapshot command renders with; each snapshot goes through the output checks.
ScriptRunner::SnapshotWriter scriptSnapshotWriter(const HostOptions&);
// Reads a script: a regular file, or standard input for "-", of at most
// ScriptRunner::kMaximumScriptBytes. Throws UsageError naming the file.
std::string readScript(const std::string& file);
// How a script's error is told: "NAME: line N: ..." on standard error; returns the exit status.
int reportScriptError(const std::string& file, const ScriptError&);

}
