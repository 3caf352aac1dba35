#include "host/PhotoPrefetch.h"

#include "host/Panel.h"
#include "platform/DecodeService.h"
#include "platform/ImageView.h"

#include <utility>

namespace orvessa {

namespace {

// The opened panel's first frame waits this long at most for its first photo.
constexpr double kFirstPhotoWait = 1.0;

const UIImageView* viewShowing(const UIView& view, const std::string& path)
{
    if (auto* imageView = dynamic_cast<const UIImageView*>(&view); imageView && imageView->image() && imageView->image()->path() == path)
        return imageView;
    for (const auto& subview : view.subviews()) {
        if (!subview)
            continue;
        if (const UIImageView* found = viewShowing(*subview, path))
            return found;
    }
    return nullptr;
}

}

PhotoPrefetch::PhotoPrefetch(Panel& panel, float scale)
    : m_panel(panel)
    , m_scale(scale)
    , m_service(std::make_shared<DecodeService>())
{
    m_panel.context().setDecodeService(m_service);
}

PhotoPrefetch::~PhotoPrefetch()
{
    m_panel.context().setDecodeService(nullptr);
    // Images still alive hold the service weakly; this is the last strong reference, so the workers
    // are joined here.
    m_service.reset();
}

void PhotoPrefetch::update(const std::optional<SlidePosition>& position)
{
    if (!position || position->currentImage == m_lastIndex)
        return;
    if (auto target = findTarget(position->entry(0)))
        m_target = target;
    if (!m_target)
        return;
    bool fullViewJustBuilt = !m_lastIndex;
    m_lastIndex = position->currentImage;
    if (fullViewJustBuilt)
        m_firstPhotoRequest = prepare(position->entry(0), *m_target);
    const std::string& next = position->entry(1);
    prepare(next, *m_target);
    // Stepping back is as likely as forward by hand, and the photo before is usually still kept.
    if (const std::string& previous = position->entry(-1); previous != next)
        prepare(previous, *m_target);
}

bool PhotoPrefetch::isPreparingFirstPhoto() const
{
    return m_firstPhotoRequest && m_service->isPending(*m_firstPhotoRequest);
}

void PhotoPrefetch::panelOpened(double now)
{
    m_firstFrameDeadline = now + kFirstPhotoWait;
}

bool PhotoPrefetch::holdsFirstFrame(double now)
{
    if (!m_firstFrameDeadline)
        return false;
    if (now < *m_firstFrameDeadline && isPreparingFirstPhoto())
        return true;
    m_firstFrameDeadline.reset();
    return false;
}

void PhotoPrefetch::positionRead(std::optional<SlidePosition> position)
{
    m_stepped.reset();
    if (isAwaitingFullView())
        update(position);
    else
        m_stepped = std::move(position);
}

void PhotoPrefetch::pictureStill()
{
    if (m_stepped)
        update(std::exchange(m_stepped, std::nullopt));
}

void PhotoPrefetch::panelClosed()
{
    m_stepped.reset();
    m_firstFrameDeadline.reset();
    m_lastIndex.reset();
    m_firstPhotoRequest.reset();
    m_target.reset();
    m_service->cancelAll();
}

std::optional<PhotoPrefetch::Target> PhotoPrefetch::findTarget(const std::string& currentPath) const
{
    auto row = m_panel.row();
    if (!row)
        return std::nullopt;
    const UIImageView* view = viewShowing(*row, currentPath);
    if (!view)
        return std::nullopt;
    auto placement = devicePlacement(*view, m_scale);
    if (!placement)
        return std::nullopt;
    return Target { view->bounds(), int(view->contentMode()), *placement };
}

std::uint64_t PhotoPrefetch::prepare(const std::string& devicePath, const Target& target)
{
    return m_service->prepareImage(devicePath, [target](CGSize points) -> std::optional<PixelSize> {
        PixelRect drawn = drawnImagePixels(points, target.bounds, target.contentMode, target.placement);
        if (drawn.width <= 0 || drawn.height <= 0)
            return std::nullopt;
        return PixelSize { drawn.width, drawn.height };
    });
}

}
