#include "render/TextLayout.h"

#include "platform/Utf8.h"

#include <cstdint>

namespace orvessa {

namespace {

double textWidth(cairo_t* cr, const std::string& text)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

}

// The text as cairo will take it: valid UTF-8 (anything else becomes "?"), and no longer than an
// alert can show, so odd text costs neither the frame nor much time.
std::string drawableText(const std::string& text)
{
    constexpr std::size_t kMaxBytes = 1000;
    std::string out;
    std::size_t i = 0;
    while (i < text.size() && out.size() < kMaxBytes) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = utf8SequenceLengthAt(text, i);
        bool valid = length > 0 && (length != 1 || lead >= 0x20 || lead == '\n');
        if (valid) {
            out.append(text, i, length);
            i += length;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

namespace {

// Splits a word too wide for a line where it must, between UTF-8 characters.
void breakLongWord(cairo_t* cr, const std::string& word, double width, std::vector<std::string>& lines)
{
    std::string piece;
    for (std::size_t i = 0; i < word.size();) {
        std::size_t next = i + 1;
        while (next < word.size() && (static_cast<unsigned char>(word[next]) & 0xC0) == 0x80)
            ++next;
        std::string candidate = piece + word.substr(i, next - i);
        if (!piece.empty() && textWidth(cr, candidate) > width) {
            lines.push_back(piece);
            piece = word.substr(i, next - i);
        } else {
            piece = std::move(candidate);
        }
        i = next;
    }
    if (!piece.empty())
        lines.push_back(piece);
}

}

std::vector<std::string> wrapText(cairo_t* cr, const std::string& text, double width)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        std::string paragraph = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string line;
        std::size_t position = 0;
        while (position < paragraph.size()) {
            std::size_t wordEnd = paragraph.find(' ', position);
            std::string word = paragraph.substr(position, wordEnd == std::string::npos ? std::string::npos : wordEnd - position);
            position = wordEnd == std::string::npos ? paragraph.size() : wordEnd + 1;
            if (word.empty())
                continue;
            std::string candidate = line;
            if (!candidate.empty())
                candidate += ' ';
            candidate += word;
            if (textWidth(cr, candidate) <= width) {
                line = std::move(candidate);
                continue;
            }
            if (!line.empty())
                lines.push_back(line);
            line.clear();
            if (textWidth(cr, word) <= width) {
                line = word;
            } else {
                breakLongWord(cr, word, width, lines);
                if (!lines.empty() && textWidth(cr, lines.back()) <= width) {
                    line = lines.back();
                    lines.pop_back();
                }
            }
        }
        lines.push_back(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

double drawCentredLines(cairo_t* cr, const std::vector<std::string>& lines, double centreX, double y)
{
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    for (const auto& line : lines) {
        double x = centreX - textWidth(cr, line) / 2;
        double baseline = y + font.ascent;
        cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
        cairo_move_to(cr, x, baseline - 1);
        cairo_show_text(cr, line.c_str());
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, line.c_str());
        y += font.height;
    }
    return y;
}

double linesHeight(cairo_t* cr, std::size_t count)
{
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    return font.height * double(count);
}

void selectFont(cairo_t* cr, double size, bool bold)
{
    cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

}
