#include "platform/Utf8.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

unsigned char byteAt(std::string_view text, std::size_t at)
{
    return static_cast<unsigned char>(text[at]);
}

// The code point of the well-formed sequence of `length` bytes at text[at].
std::uint32_t codePointAt(std::string_view text, std::size_t at, std::size_t length)
{
    static constexpr std::uint32_t kLeadPayload[] = { 0, 0x7F, 0x1F, 0x0F, 0x07 };
    std::uint32_t code = byteAt(text, at) & kLeadPayload[length];
    for (std::size_t k = 1; k < length; ++k)
        code = (code << 6) | (byteAt(text, at + k) & 0x3F);
    return code;
}

bool isC0OrDelete(std::uint32_t code)
{
    return code < 0x20 || code == 0x7F;
}

// Characters a terminal acts on or that rearrange what is shown around them.
bool needsUnicodeEscape(std::uint32_t code)
{
    return (code >= 0x80 && code <= 0x9F) || code == 0x061C || code == 0x200E || code == 0x200F
        || (code >= 0x2028 && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

// Appends the escaped form of the character (or stray byte) at text[at] and returns its length.
std::size_t appendEscaped(std::string& out, std::string_view text, std::size_t at)
{
    char escape[16];
    std::size_t length = utf8SequenceLengthAt(text, at);
    if (length == 0) {
        std::snprintf(escape, sizeof escape, "\\x%02X", unsigned(byteAt(text, at)));
        out += escape;
        return 1;
    }
    std::uint32_t code = codePointAt(text, at, length);
    if (code == '\\') {
        out += "\\\\";
    } else if (code == '\n') {
        out += "\\n";
    } else if (code == '\r') {
        out += "\\r";
    } else if (code == '\t') {
        out += "\\t";
    } else if (isC0OrDelete(code)) {
        std::snprintf(escape, sizeof escape, "\\x%02X", unsigned(code));
        out += escape;
    } else if (needsUnicodeEscape(code)) {
        std::snprintf(escape, sizeof escape, "\\u{%04X}", unsigned(code));
        out += escape;
    } else {
        out.append(text.substr(at, length));
    }
    return length;
}

}

std::size_t utf8SequenceLengthAt(std::string_view text, std::size_t at)
{
    if (at >= text.size())
        return 0;
    unsigned char lead = byteAt(text, at);
    std::size_t length = 0;
    if (lead < 0x80)
        return 1;
    if ((lead >> 5) == 0x6)
        length = 2;
    else if ((lead >> 4) == 0xE)
        length = 3;
    else if ((lead >> 3) == 0x1E)
        length = 4;
    else
        return 0;
    if (text.size() - at < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byteAt(text, at + k) & 0xC0) != 0x80)
            return 0;
    }
    // No overlong forms, surrogates or code points beyond Unicode.
    static constexpr std::uint32_t kSmallest[] = { 0, 0, 0x80, 0x800, 0x10000 };
    std::uint32_t code = codePointAt(text, at, length);
    if (code < kSmallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

bool isValidUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = utf8SequenceLengthAt(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string withInvalidUtf8Replaced(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = utf8SequenceLengthAt(text, at);
        if (length == 0) {
            out += kReplacementCharacter;
            ++at;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}

std::string escapedForTerminal(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();)
        at += appendEscaped(out, text, at);
    return out;
}

std::string printablePrefix(std::string_view text, std::size_t maxCharacters)
{
    std::string out;
    std::size_t at = 0;
    for (std::size_t count = 0; at < text.size() && count < maxCharacters; ++count)
        at += appendEscaped(out, text, at);
    if (at < text.size())
        out += "...";
    return out;
}

std::string quotedForMessage(std::string_view text, std::size_t maxCharacters)
{
    return "'" + printablePrefix(text, maxCharacters) + "'";
}
