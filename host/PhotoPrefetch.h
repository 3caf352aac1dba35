#pragma once

#include "host/SlidePosition.h"
#include "render/ImagePlacement.h"

#include <memory>
#include <optional>

class DecodeService;
class UIView;

namespace orvessa {

class Panel;

// The desktop host's own service beside the widget, the way a compositor works beside an app: it
// keeps the photos the widget may show next decoded ahead, off the UI thread. After the full view is
// built and after every step it asks the toolkit's decode service for the next entry of the widget's
// image list, then the previous one, at the size the renderer will draw them. It learns the list and
// the position from the widget's debugState(), and where photos are drawn from the view that shows
// the current one; the widget itself is unchanged and never knows.
class PhotoPrefetch {
public:
    // Installs a decode service in the panel's context for as long as this lives.
    PhotoPrefetch(Panel&, float scale);
    // Takes the service out of the context and lets it go, which waits for a decode under way.
    ~PhotoPrefetch();
    PhotoPrefetch(const PhotoPrefetch&) = delete;
    PhotoPrefetch& operator=(const PhotoPrefetch&) = delete;

    // After the full view is built, and after anything that may have stepped: asks for the
    // neighbours of the position when it is new, and after the full view for the photo shown first,
    // which is not drawn before its fade-in starts.
    void update(const std::optional<SlidePosition>&);

    // For the desktop window's loop. The panel was asked to open at `now`.
    void panelOpened(double now);
    // Like a compositor that maps a window once its first frame is ready, the opened panel's first
    // frame waits (the loop goes on) while its first photo is decoded, for at most a second.
    bool holdsFirstFrame(double now);
    // The position the widget shows after anything that may have moved it. The full view's photos are
    // asked for at once, since its first frame waits for the first one; after a step, the next photo
    // is asked for once the picture stands still (pictureStill): a cross-fade keeps the cores to
    // itself, and the timer's next step is seconds away.
    void positionRead(std::optional<SlidePosition>);
    void pictureStill();
    // No full view seen since the panel opened: the next position update is the full view's.
    bool isAwaitingFullView() const { return !m_lastIndex; }
    // The photo shown first after the full view is still being decoded.
    bool isPreparingFirstPhoto() const;
    // The panel closed: every request and every kept picture is dropped.
    void panelClosed();

    DecodeService& service() { return *m_service; }

private:
    // How photos are drawn: the view that shows the current one, where the renderer places it.
    struct Target {
        CGRect bounds;
        int contentMode { 0 };
        DevicePlacement placement;
    };

    std::optional<Target> findTarget(const std::string& currentPath) const;
    std::uint64_t prepare(const std::string& devicePath, const Target&);

    Panel& m_panel;
    float m_scale;
    std::shared_ptr<DecodeService> m_service;
    std::optional<Target> m_target; // Kept while the current photo shows nowhere (it failed to load).
    std::optional<std::int64_t> m_lastIndex; // The position last asked for; cleared when the panel closes.
    std::optional<std::uint64_t> m_firstPhotoRequest;
    std::optional<double> m_firstFrameDeadline; // While the opened panel's first frame may wait.
    std::optional<SlidePosition> m_stepped; // A step's position, asked for once the picture is still.
};

}
