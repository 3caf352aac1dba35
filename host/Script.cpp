#include "host/Script.h"

#include "host/OutputError.h"
#include "host/Panel.h"
#include "host/StateDump.h"
#include "platform/Utf8.h"

#include <charconv>
#include <cmath>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace orvessa {

namespace {

struct LineFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string word;
    while (in >> word)
        out.push_back(word);
    return out;
}

double parseNumber(const std::string& command, const std::string& text)
{
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
        throw LineFailure(command + ": " + quotedForMessage(text) + " is not a number");
    return value;
}

enum class LineRead {
    Line,
    End,
    TooLong,
};

// One line without its newline, read no further than `limit` bytes, so a huge line costs no memory.
LineRead readLine(std::istream& in, std::string& line, std::size_t limit)
{
    line.clear();
    std::streambuf* buffer = in.rdbuf();
    bool any = false;
    for (;;) {
        int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof())
            return any ? LineRead::Line : LineRead::End;
        any = true;
        if (c == '\n')
            return LineRead::Line;
        if (line.size() == limit)
            return LineRead::TooLong;
        line.push_back(char(c));
    }
}

void expectArguments(const std::vector<std::string>& words, std::size_t count, const char* usage)
{
    if (words.size() != count + 1)
        throw LineFailure(std::string("usage: ") + usage);
}

}

ScriptRunner::ScriptRunner(Panel& panel, std::ostream& out, SnapshotWriter snapshot)
    : m_panel(panel)
    , m_out(out)
    , m_snapshot(std::move(snapshot))
{
}

std::optional<ScriptError> ScriptRunner::run(std::istream& in)
{
    std::string line;
    int number = 0;
    for (;;) {
        LineRead read = readLine(in, line, kMaximumLineBytes);
        if (read == LineRead::End)
            return std::nullopt;
        ++number;
        if (read == LineRead::TooLong)
            return ScriptError { number, "longer than " + std::to_string(kMaximumLineBytes) + " bytes" };
        if (auto error = runLine(line, number))
            return error;
    }
}

std::optional<ScriptError> ScriptRunner::runLine(const std::string& rawLine, int number)
{
    std::string line = rawLine.substr(0, rawLine.find('#'));
    auto w = words(line);
    if (w.empty())
        return std::nullopt;
    const std::string& command = w[0];
    try {
        if (command == "create") {
            expectArguments(w, 0, "create");
            m_panel.create();
        } else if (command == "placeholder") {
            expectArguments(w, 0, "placeholder");
            m_panel.placeholder();
        } else if (command == "full") {
            expectArguments(w, 0, "full");
            m_panel.full();
        } else if (command == "unload") {
            expectArguments(w, 0, "unload");
            m_panel.unload();
        } else if (command == "destroy") {
            expectArguments(w, 0, "destroy");
            m_panel.destroy();
        } else if (command == "tap") {
            expectArguments(w, 2, "tap X Y");
            m_panel.tap({ float(parseNumber(command, w[1])), float(parseNumber(command, w[2])) });
        } else if (command == "advance") {
            expectArguments(w, 1, "advance SECONDS");
            double seconds = parseNumber(command, w[1]);
            if (seconds < 0 || seconds > kMaximumAdvance)
                throw LineFailure("advance: seconds must be from 0 to " + std::to_string(int(kMaximumAdvance)));
            if (m_advance)
                m_advance(seconds);
            else
                m_panel.advance(seconds);
        } else if (command == "resize") {
            expectArguments(w, 1, "resize WIDTH");
            double width = parseNumber(command, w[1]);
            if (width < 1 || width > 10000)
                throw LineFailure("resize: width must be from 1 to 10000 points");
            m_panel.resize(float(width));
        } else if (command == "dismiss") {
            expectArguments(w, 0, "dismiss");
            if (!m_panel.dismissTopAlert())
                throw LineFailure("dismiss: no alert is shown");
        } else if (command == "dump") {
            expectArguments(w, 0, "dump");
            m_out << dumpState(m_panel).dump() << '\n';
            m_out.flush();
        } else if (command == "snapshot") {
            expectArguments(w, 1, "snapshot FILE");
            if (!m_snapshot)
                throw LineFailure("snapshot: not yet supported");
            m_snapshot(m_panel, w[1]);
        } else {
            throw LineFailure("unknown command " + quotedForMessage(command));
        }
    } catch (const LineFailure& failure) {
        return ScriptError { number, failure.what() };
    } catch (const OutputError& failure) {
        return ScriptError { number, failure.what(), failure.isUsersToMend() };
    } catch (const std::runtime_error& failure) {
        // A snapshot that could not be written, for example.
        return ScriptError { number, failure.what() };
    }
    return std::nullopt;
}

}
