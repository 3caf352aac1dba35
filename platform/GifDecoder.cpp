#include "platform/GifLzw.h"
#include "platform/ImageDecoders.h"

#include <algorithm>
#include <array>
#include <gif_lib.h>

// The first frame of a GIF: giflib reads the blocks (screen, colours, extensions, the frame's
// descriptor and its data sub-blocks) and GifLzwDecoder the codes. giflib's own line reader wipes
// its whole table at every clear code, so a few megabytes of clear codes cost it many seconds.
// Codes that do not start with a clear, and a clear deferred once the table is full, are read, as
// the format allows. A frame that is not interlaced streams straight into the result; an
// interlaced one is held as a byte a pixel until its four passes are in.

namespace {

using Rgba = std::array<std::uint8_t, 4>;

int readGif(GifFileType* gif, GifByteType* out, int length)
{
    if (length <= 0)
        return 0;
    return static_cast<int>(static_cast<ImageFileReader*>(gif->UserData)->read(out, static_cast<std::size_t>(length)));
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

using GifFile = std::unique_ptr<GifFileType, GifCloser>;

// Skips to the first frame's descriptor, keeping the transparent index of the graphic control
// extension before it. False for a file that ends or breaks before any frame.
bool findFirstFrame(GifFileType* gif, int& transparentIndex)
{
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return false;
        if (type == IMAGE_DESC_RECORD_TYPE)
            return DGifGetImageDesc(gif) != GIF_ERROR;
        if (type != EXTENSION_RECORD_TYPE)
            return false;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
            return false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
            transparentIndex = (block[1] & 1) ? block[4] : -1;
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                return false;
        }
    }
}

// The frame's part of the canvas: where it starts, and how much of it the canvas shows.
struct Visible {
    int left { 0 };
    int top { 0 };
    int columns { 0 };
    int rows { 0 };
};

class FramePainter {
public:
    FramePainter(const ColorMapObject& colours, int transparentIndex, int canvasWidth, Visible visible)
        : m_visible(visible)
        , m_rgba(static_cast<std::size_t>(canvasWidth) * 4)
    {
        // Indices past the table are black, like any colour the file does not give.
        m_palette.fill({ 0, 0, 0, 255 });
        const int count = std::min(colours.ColorCount, 256);
        for (int i = 0; i < count; ++i)
            m_palette[static_cast<std::size_t>(i)] = { colours.Colors[i].Red, colours.Colors[i].Green, colours.Colors[i].Blue, 255 };
        if (transparentIndex >= 0 && transparentIndex < 256)
            m_palette[static_cast<std::size_t>(transparentIndex)] = { 0, 0, 0, 0 };
    }

    // A canvas row: the frame's indices where it covers the canvas (none: not covered), transparent
    // elsewhere.
    const std::uint8_t* row(const std::uint8_t* indices)
    {
        std::fill(m_rgba.begin(), m_rgba.end(), 0);
        if (indices) {
            std::uint8_t* out = m_rgba.data() + static_cast<std::size_t>(m_visible.left) * 4;
            for (int x = 0; x < m_visible.columns; ++x, out += 4) {
                const Rgba& colour = m_palette[indices[x]];
                std::copy(colour.begin(), colour.end(), out);
            }
        }
        return m_rgba.data();
    }

private:
    Visible m_visible;
    std::array<Rgba, 256> m_palette {};
    std::vector<std::uint8_t> m_rgba;
};

// Takes the frame's indices in stored order and sends canvas rows, top first, to the sink: as lines
// complete when the frame is not interlaced, at the end when it is.
class FrameRows {
public:
    FrameRows(const GifImageDesc& frame, Visible visible, RgbaRowSink& sink, FramePainter& painter)
        : m_height(frame.Height)
        , m_interlaced(frame.Interlace)
        , m_visible(visible)
        , m_sink(sink)
        , m_painter(painter)
        , m_line(static_cast<std::size_t>(frame.Width))
    {
        if (m_interlaced) {
            m_held.resize(static_cast<std::size_t>(visible.columns) * static_cast<std::size_t>(visible.rows));
            m_arrived.resize(static_cast<std::size_t>(visible.rows));
        }
    }

    // False once the frame is complete.
    bool add(const std::uint8_t* indices, std::size_t count)
    {
        while (count > 0 && m_storedRow < m_height) {
            const std::size_t n = std::min(count, m_line.size() - m_filled);
            std::copy(indices, indices + n, m_line.begin() + static_cast<std::ptrdiff_t>(m_filled));
            m_filled += n;
            indices += n;
            count -= n;
            if (m_filled == m_line.size()) {
                lineDone(displayRow(m_storedRow++));
                m_filled = 0;
            }
        }
        // Rows below the canvas are not worth decoding unless interlacing may still bring visible ones.
        return m_storedRow < m_height && (m_interlaced || m_storedRow < m_visible.rows);
    }

    void finish()
    {
        if (m_interlaced) {
            for (int r = 0; r < m_visible.rows; ++r) {
                sendUpTo(m_visible.top + r);
                const std::size_t at = static_cast<std::size_t>(r) * static_cast<std::size_t>(m_visible.columns);
                m_sink.addRow(m_painter.row(m_arrived[static_cast<std::size_t>(r)] ? m_held.data() + at : nullptr));
                ++m_sent;
            }
        }
        sendUpTo(m_sink.sourceHeight());
    }

private:
    // Interlaced frames store every 8th row from 0, every 8th from 4, every 4th from 2, then every 2nd from 1.
    int displayRow(int stored) const
    {
        if (!m_interlaced)
            return stored;
        static constexpr int starts[4] = { 0, 4, 2, 1 };
        static constexpr int steps[4] = { 8, 8, 4, 2 };
        for (int pass = 0; pass < 4; ++pass) {
            const int rows = m_height > starts[pass] ? (m_height - starts[pass] + steps[pass] - 1) / steps[pass] : 0;
            if (stored < rows)
                return starts[pass] + stored * steps[pass];
            stored -= rows;
        }
        return m_height;
    }

    void lineDone(int row)
    {
        if (row >= m_visible.rows)
            return;
        if (m_interlaced) {
            const std::size_t at = static_cast<std::size_t>(row) * static_cast<std::size_t>(m_visible.columns);
            std::copy(m_line.begin(), m_line.begin() + m_visible.columns, m_held.begin() + static_cast<std::ptrdiff_t>(at));
            m_arrived[static_cast<std::size_t>(row)] = true;
            return;
        }
        sendUpTo(m_visible.top + row);
        m_sink.addRow(m_painter.row(m_line.data()));
        ++m_sent;
    }

    // Transparent canvas rows up to (not including) `row`.
    void sendUpTo(int row)
    {
        for (; m_sent < row; ++m_sent)
            m_sink.addRow(m_painter.row(nullptr));
    }

    int m_height { 0 };
    bool m_interlaced { false };
    Visible m_visible;
    RgbaRowSink& m_sink;
    FramePainter& m_painter;
    std::vector<std::uint8_t> m_line;
    std::size_t m_filled { 0 };
    int m_storedRow { 0 };
    int m_sent { 0 }; // Canvas rows sent.
    std::vector<std::uint8_t> m_held; // Interlaced: the visible part, until all passes are in.
    std::vector<bool> m_arrived;
};

}

std::optional<DecodedImage> decodeGif(const ImageFile& file, int targetWidth, int targetHeight)
{
    ImageFileReader reader(file);
    int error = 0;
    GifFile gif(DGifOpen(&reader, readGif, &error));
    if (!gif)
        return std::nullopt;
    // The file may have changed since its header was read.
    const int width = gif->SWidth, height = gif->SHeight;
    if (width <= 0 || height <= 0 || width > kMaxWholeImageSide || height > kMaxWholeImageSide
        || static_cast<std::int64_t>(width) * height > kMaxWholeImagePixels)
        return std::nullopt;
    int transparentIndex = -1;
    if (!findFirstFrame(gif.get(), transparentIndex))
        return std::nullopt;
    const GifImageDesc frame = gif->Image;
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    // A frame larger than the limit would cost its whole area in time, even where the canvas
    // does not show it.
    if (!colours || !colours->Colors || frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0
        || static_cast<std::int64_t>(frame.Width) * frame.Height > kMaxWholeImagePixels)
        return std::nullopt;

    Visible visible { std::min(frame.Left, width), std::min(frame.Top, height), 0, 0 };
    visible.columns = std::min(width - visible.left, frame.Width);
    visible.rows = std::min(height - visible.top, frame.Height);
    FramePainter painter(*colours, transparentIndex, width, visible);
    RgbaRowSink sink(width, height, targetWidth, targetHeight);
    FrameRows rows(frame, visible, sink, painter);
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif.get(), &codeSize, &block) != GIF_ERROR) {
        GifLzwDecoder lzw(codeSize, [&rows, &lzw](const std::uint8_t* indices, std::size_t count) {
            if (!rows.add(indices, count))
                lzw.end();
        });
        // A real encoder needs at most a code (12 bits) and a clear a pixel: reading stops past that.
        std::uint64_t budget = 4 * static_cast<std::uint64_t>(frame.Width) * static_cast<std::uint64_t>(frame.Height) + (64u << 10);
        while (block && !lzw.ended() && budget >= block[0]) {
            budget -= block[0];
            lzw.decode(std::span<const std::uint8_t>(block + 1, block[0]));
            if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR)
                break;
        }
    }
    // Lines the data did not give stay transparent.
    rows.finish();
    return sink.take();
}
