#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text the program did not make (file names, script lines, option values) holds any bytes. These
// make it safe to print: valid UTF-8 where a format demands it, visible escapes where a person reads
// it, so that no byte can break a line, move a terminal's cursor or forge an entry of a list.

// The length (1 to 4) of the well-formed UTF-8 sequence that starts at text[at], or 0 where the bytes
// form none: a stray continuation byte, a cut-off sequence, an overlong form, a surrogate, a code
// point beyond U+10FFFF, or `at` past the end.
std::size_t utf8SequenceLengthAt(std::string_view text, std::size_t at);

bool isValidUtf8(std::string_view);

// The text with each byte that belongs to no well-formed sequence replaced by U+FFFD, one for each
// such byte. Valid text comes back unchanged.
std::string withInvalidUtf8Replaced(std::string_view);

// The text for one line of a terminal. A backslash becomes "\\"; newline, carriage return and tab
// become "\n", "\r", "\t"; other C0 controls, DEL and bytes that are not valid UTF-8 become "\xNN";
// C1 controls and the characters that reorder text on screen (bidirectional overrides and isolates,
// line and paragraph separators) become "\u{NNNN}". Everything else is kept as it is.
std::string escapedForTerminal(std::string_view);

// At most `maxCharacters` characters of the text (a byte that is not UTF-8 counts as one), escaped as
// escapedForTerminal does, with "..." after it when the text was longer.
std::string printablePrefix(std::string_view, std::size_t maxCharacters);

// printablePrefix in single quotes: how an error message shows the bad input it names.
std::string quotedForMessage(std::string_view, std::size_t maxCharacters = 40);
