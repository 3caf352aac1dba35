#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace orvessa {

class Panel;

struct ScriptError {
    int line { 0 };
    std::string message; // Without the "line N: " prefix.
    bool isUsersToMend { true }; // False for a failure the script did not cause, such as a full disk.
};

// Runs a host script against a panel, one command a line; `#` starts a comment. Dumps go to `out`
// as they run. The first bad line stops the script; the lines before it have run.
class ScriptRunner {
public:
    // Renders the panel's window to a PNG file; empty where snapshots are not available.
    using SnapshotWriter = std::function<void(Panel&, const std::string& path)>;

    ScriptRunner(Panel&, std::ostream& out, SnapshotWriter = {});

    // Replaces what `advance S` does: a recording turns the wait into frames. By default the panel's
    // run loop simply runs for S seconds.
    void setAdvanceHandler(std::function<void(double seconds)> handler) { m_advance = std::move(handler); }

    // Runs lines until the input ends or one fails.
    std::optional<ScriptError> run(std::istream&);
    // One line, numbered for error messages.
    std::optional<ScriptError> runLine(const std::string& line, int number);

    // The longest a single advance may run, so a typo cannot hang a script for years of virtual time.
    static constexpr double kMaximumAdvance = 24 * 60 * 60;
    // Scripts are small; these bounds keep an endless or binary input from eating memory. A longer
    // line stops the script with its number; whoever reads a script file holds it to the size.
    static constexpr std::size_t kMaximumLineBytes = 4096;
    static constexpr std::size_t kMaximumScriptBytes = std::size_t { 1024 } * 1024;

private:
    Panel& m_panel;
    std::ostream& m_out;
    SnapshotWriter m_snapshot;
    std::function<void(double)> m_advance;
};

}
