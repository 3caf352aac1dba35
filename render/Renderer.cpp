#include "render/Renderer.h"

#include "platform/View.h"
#include "render/AlertDrawing.h"
#include "render/Backdrop.h"
#include "render/CairoPointers.h"
#include "render/FrameDrawer.h"
#include "render/PanelBackground.h"
#include "render/PictureCache.h"
#include "render/ViewRecord.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace orvessa {

namespace {

constexpr float kMaxScale = 8;

bool isDrawableScale(float scale)
{
    return scale > 0 && scale <= kMaxScale;
}

// Everything a frame's pixels follow from: one renderer draws frames of equal records in equal pixels.
struct FrameRecord {
    CGRect window;
    float scale { 1 };
    std::vector<ViewRecord> views;
    std::optional<AlertRecord> alert;

    bool operator==(const FrameRecord&) const = default;
};

FrameRecord recordFrame(const UIWindow& window, const std::vector<std::shared_ptr<UIAlertView>>& alerts, TimeInterval now, float scale)
{
    return { window.frame(), scale, recordViews(window, now), recordTopmostAlert(alerts) };
}

}

struct Renderer::Caches {
    PictureCache pictures;
    Backdrop backdrop;
    PanelBackground background;
    std::uint64_t frameNumber { 0 };
    std::size_t reusedViews { 0 };
    std::optional<FrameRecord> lastFrame; // Nothing before the first frame and after one that failed.
};

Renderer::Renderer(RendererUse use)
    : m_caches(std::make_unique<Caches>())
    , m_use(use)
{
}

Renderer::~Renderer() = default;

std::size_t Renderer::cachedPictureCount() const
{
    return m_caches->pictures.size();
}

std::size_t Renderer::reusedViewCount() const
{
    return m_caches->reusedViews;
}

Frame Renderer::render(const UIWindow& window, const std::vector<std::shared_ptr<UIAlertView>>& alerts, TimeInterval now, float scale)
{
    if (!isDrawableScale(scale))
        throw std::invalid_argument("cannot draw at scale " + std::to_string(scale) + ": it must be above 0 and at most 8");
    Caches& caches = *m_caches;
    caches.lastFrame.reset();
    // Everything below reads the window and the alerts through this record alone.
    FrameRecord record = recordFrame(window, alerts, now, scale);
    const CGRect& windowFrame = record.window;
    const std::vector<ViewRecord>& views = record.views;

    Frame frame(int(std::lround(windowFrame.size.width * scale)), int(std::lround(windowFrame.size.height * scale)),
        m_use == RendererUse::SinglePicture ? FrameMemory::HugePages : FrameMemory::Heap);
    std::uint64_t frameNumber = ++caches.frameNumber;
    ContextPointer context(cairo_create(frame.surface()));
    cairo_t* cr = context.get();
    FrameDrawer drawer(cr, frame.surface(), scale, caches.pictures, frameNumber);

    std::size_t settled = settledViewCount(views);
    Backdrop& backdrop = caches.backdrop;
    caches.reusedViews = 0;
    std::uint64_t oldestKept = frameNumber;
    if (backdrop.holds(views, settled, frame.width(), frame.height(), scale)) {
        backdrop.copyInto(frame.surface());
        drawer.skipViews(settled);
        caches.reusedViews = settled;
        oldestKept = backdrop.frameNumber();
    } else {
        // A single picture would make and copy a frame's worth of pixels for nothing. A run of frames
        // makes them with its first frame: made with the second, they cost a frame the viewer sees.
        const bool keepsForNextFrame = m_use == RendererUse::Frames || frameNumber > 1;
        if (!keepsForNextFrame)
            PanelBackground::paint(frame.surface(), scale);
        else if (cairo_surface_t* background = caches.background.pixels(frame.width(), frame.height(), scale))
            copyPixels(background, frame.surface());
        if (keepsForNextFrame) {
            if (cairo_surface_t* kept = backdrop.keep(views, settled, frame.width(), frame.height(), scale, frameNumber))
                drawer.keepPixelsBefore(settled, kept);
        }
    }

    cairo_scale(cr, scale, scale);
    cairo_font_options_t* options = cairo_font_options_create();
    // Text is laid out in points, the same at every scale.
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);

    cairo_save(cr);
    cairo_translate(cr, -windowFrame.origin.x, -windowFrame.origin.y);
    drawer.drawViews(views);
    cairo_restore(cr);

    if (record.alert)
        drawAlert(cr, *record.alert, windowFrame.size);

    caches.pictures.prune(oldestKept);
    cairo_status_t status = cairo_status(cr);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cannot draw the panel: ") + cairo_status_to_string(status));
    context.reset();
    cairo_surface_flush(frame.surface());
    caches.lastFrame = std::move(record);
    return frame;
}

bool Renderer::wouldRepeatLastFrame(const UIWindow& window, const std::vector<std::shared_ptr<UIAlertView>>& alerts, TimeInterval t, float scale) const
{
    const auto& last = m_caches->lastFrame;
    return last && isDrawableScale(scale) && recordFrame(window, alerts, t, scale) == *last;
}

Frame renderPanel(const UIWindow& window, const std::vector<std::shared_ptr<UIAlertView>>& alerts, TimeInterval now, float scale)
{
    Renderer renderer(RendererUse::SinglePicture);
    return renderer.render(window, alerts, now, scale);
}

}
