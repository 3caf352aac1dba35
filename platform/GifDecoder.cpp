#include "platform/ImageDecoders.h"

#include <algorithm>
#include <array>
#include <gif_lib.h>

// The first frame of a GIF through giflib's line-by-line reader. giflib reads what the format
// allows and stb_image refused: data that does not start with a clear code, and encoders that defer
// the clear code and keep a full table. A frame that is not interlaced streams straight into the
// result; an interlaced one is held as a byte a pixel until its four passes are in.

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
    if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > kMaxWholeImagePixels)
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
    std::vector<std::uint8_t> line(static_cast<std::size_t>(frame.Width));

    if (!frame.Interlace) {
        // Lines the file does not give (cut short, or broken) stay transparent.
        bool reading = true;
        for (int y = 0; y < height; ++y) {
            const bool covered = y >= visible.top && y < visible.top + visible.rows;
            if (covered && reading)
                reading = DGifGetLine(gif.get(), line.data(), frame.Width) != GIF_ERROR;
            sink.addRow(painter.row(covered && reading ? line.data() : nullptr));
        }
        return sink.take();
    }

    // Passes of every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
    static constexpr int starts[4] = { 0, 4, 2, 1 };
    static constexpr int steps[4] = { 8, 8, 4, 2 };
    const std::size_t columns = static_cast<std::size_t>(visible.columns);
    std::vector<std::uint8_t> indices(columns * static_cast<std::size_t>(visible.rows));
    std::vector<bool> arrived(static_cast<std::size_t>(visible.rows));
    bool reading = true;
    for (int pass = 0; pass < 4 && reading; ++pass) {
        for (int r = starts[pass]; r < frame.Height && reading; r += steps[pass]) {
            reading = DGifGetLine(gif.get(), line.data(), frame.Width) != GIF_ERROR;
            if (reading && r < visible.rows) {
                std::copy(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(columns), indices.begin() + static_cast<std::ptrdiff_t>(columns * static_cast<std::size_t>(r)));
                arrived[static_cast<std::size_t>(r)] = true;
            }
        }
    }
    for (int y = 0; y < height; ++y) {
        const int r = y - visible.top;
        const bool covered = r >= 0 && r < visible.rows && arrived[static_cast<std::size_t>(r)];
        sink.addRow(painter.row(covered ? indices.data() + columns * static_cast<std::size_t>(r) : nullptr));
    }
    return sink.take();
}
