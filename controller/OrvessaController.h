#pragma once

#include "platform/Control.h"
#include "platform/GestureRecognizer.h"
#include "platform/ImageView.h"
#include "platform/PropertyList.h"
#include "platform/Timer.h"
#include "platform/Toolbar.h"
#include "platform/WeeAppController.h"
#include "views/TransitionImageView.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Runtime;

// The widget's principal class: the host creates it and drives it through BBWeeAppController. It
// owns its views, its items, its image list and its auto-advance timer; the three overlay buttons
// belong to the root view. A scheduled timer holds the controller, so it is destroyed only after
// its timers are invalidated or have fired.
class OrvessaController final
    : public NSObject
    , public BBWeeAppController
    , public UIGestureRecognizerDelegate {
public:
    // Creation reads the OS version for the version gate and sets no field.
    static std::shared_ptr<OrvessaController> init();
    ~OrvessaController() override;

    std::string_view className() const override { return "OrvessaController"; }

    // The host's calls.
    std::shared_ptr<UIView> view() const override { return _view; }
    void setView(std::shared_ptr<UIView> view) { _view = std::move(view); }
    float viewHeight() const override { return kViewHeight; }
    void loadPlaceholderView() override;
    void loadFullView() override;
    void unloadView() override;
    std::shared_ptr<NSObject> launchURLForTapLocation(CGPoint) override;
    std::vector<WeeAppStateField> debugState() const override;

    // Playback. The control bar's items send these; the timers send nextanim: and resetTransitionBOOL:.
    void prev(NSObject* sender);
    void next(NSObject* sender);
    // NOTE: The selectors play: and pause: land here; C++ cannot name a method like the fields `play` and `pause`.
    void playAction(NSObject* sender);
    void pauseAction(NSObject* sender);
    void nextanim(NSObject* sender);
    void resetTransitionBOOL(NSObject* sender);

    // The overlay.
    void loadOverlayControls();
    void initToolbar();
    void releaseToolbar();
    void showHideToolbar(NSObject* sender);
    bool gestureRecognizerShouldReceiveTouch(UIGestureRecognizer*, UITouch*) override;
    void showInfoPanel(NSObject* sender);
    void goToTwitter(NSObject* sender);
    void goToFacebook(NSObject* sender);

    // What the fields hold, for hosts' debugging tools and tests; only the controller's own
    // operations change them.
    const std::shared_ptr<UIImageView>& backgroundView() const { return _backgroundView; }
    const std::shared_ptr<TransitionImageView>& picFrame() const { return _picFrame; }
    const std::shared_ptr<UIToolbar>& controlBar() const { return _controlBar; }
    const std::shared_ptr<UIBarButtonItem>& backItem() const { return back; }
    const std::shared_ptr<UIBarButtonItem>& forwardItem() const { return forward; }
    const std::shared_ptr<UIBarButtonItem>& pauseItem() const { return pause; }
    const std::shared_ptr<UIBarButtonItem>& playItem() const { return play; }
    const std::optional<std::vector<std::shared_ptr<UIBarButtonItem>>>& controlBarItems() const { return _controlBarItems; }
    const std::shared_ptr<const PathList>& imageList() const { return images; }
    const std::shared_ptr<NSTimer>& nextTimer() const { return _nextTimer; }
    std::shared_ptr<UIButton> infoButton() const { return _infoButton.lock(); }
    std::shared_ptr<UIButton> twitterButton() const { return _twitterButton.lock(); }
    std::shared_ptr<UIButton> facebookButton() const { return _facebookButton.lock(); }
    bool isPlaying() const { return playing; }
    bool isTransitioning() const { return transitioning; }
    bool isInitalized() const { return initalized; }
    std::int32_t currentImageIndex() const { return currentImage; }
    float slideInterval() const { return secondsPerSlide; }

    static constexpr float kViewHeight = 200.0f;
    static constexpr float kViewWidth = 316.0f;
    static constexpr float kVersionGate = 8.0f;
    static constexpr const char* kBackgroundImagePath = "/System/Library/WeeAppPlugins/StocksWeeApp.bundle/WeeAppBackground.png";
    static constexpr const char* kTwitterImagePath = "/System/Library/WeeAppPlugins/Orvessa.bundle/twitter.png";
    static constexpr const char* kFacebookImagePath = "/System/Library/WeeAppPlugins/Orvessa.bundle/facebook.png";
    static constexpr const char* kTwitterPageURL = "https://twitter.com/orvessawidget";
    static constexpr const char* kFacebookPageURL = "https://www.facebook.com/orvessawidget";
    static constexpr const char* kInfoTitle = "Settings";
    static constexpr const char* kInfoMessage = "You can adjust settings such as Shuffle, and how long each slide should play in Settings > Photos.";

protected:
    const Selector* findMethod(std::string_view selector) const override;

private:
    OrvessaController() = default;
    // An index one step outside the image list wraps to its other end.
    std::int32_t wrappedIndex(std::int32_t index) const;
    void stepAtOnce(std::int32_t delta);
    void showCurrentImageAtOnce();
    // The only two places that change `_nextTimer` and `playing`, together.
    void startAutoAdvance();
    void stopAutoAdvance();
    void swapPlayPauseItem(const std::shared_ptr<UIBarButtonItem>& from, const std::shared_ptr<UIBarButtonItem>& to);
    std::shared_ptr<UIButton> makeLinkButton(const char* imagePath, Selector action, CGRect frame);

    // The fields, in declaration order. Owned unless marked.
    // NOTE: `_nextTimer` holds a scheduled, repeating timer exactly while `playing` is true, and is
    // null otherwise: startAutoAdvance() and stopAutoAdvance() alone change either.
    // NOTE: While `images` holds a list it is not empty, and `currentImage` lies inside it: every
    // change of either sets an index from wrappedIndex() or 0 into the list just built.
    // NOTE: `transitioning` is true only within 1.0 s of an automatic advance; its lock-release timer
    // clears it, and so does a new full view.
    // NOTE: While a full view is loaded, the play/pause slot of `_controlBarItems` holds `pause`
    // exactly while `playing` is true, and `play` otherwise.
    // NOTE: `initalized` is false from loadPlaceholderView until loadFullView completes.
    std::shared_ptr<UIView> _view;
    std::shared_ptr<UIImageView> _backgroundView;
    std::shared_ptr<TransitionImageView> _picFrame;
    std::shared_ptr<UIToolbar> _controlBar;
    std::shared_ptr<UIBarButtonItem> back;
    std::shared_ptr<UIBarButtonItem> forward;
    std::shared_ptr<UIBarButtonItem> pause;
    std::shared_ptr<UIBarButtonItem> play;
    std::optional<std::vector<std::shared_ptr<UIBarButtonItem>>> _controlBarItems;
    std::shared_ptr<const PathList> images; // Shared with hosts' state queries; never changed once made.
    std::weak_ptr<const PropertyListValue> settings; // Not owned; only read while loadFullView runs.
    std::shared_ptr<NSTimer> _nextTimer;
    std::weak_ptr<UIButton> _infoButton; // Not owned: the root view holds the three buttons.
    std::weak_ptr<UIButton> _facebookButton;
    std::weak_ptr<UIButton> _twitterButton;
    bool playing { false };
    bool transitioning { false };
    bool initalized { false }; // Spelt as the widget's readers know it.
    std::int32_t currentImage { 0 };
    float secondsPerSlide { 0 };
};

// The controller's selectors, named once: its method table and every sender use these.
inline constexpr Selector kPrevSelector = actionSelector<&OrvessaController::prev>("prev:");
inline constexpr Selector kNextSelector = actionSelector<&OrvessaController::next>("next:");
inline constexpr Selector kPlaySelector = actionSelector<&OrvessaController::playAction>("play:");
inline constexpr Selector kPauseSelector = actionSelector<&OrvessaController::pauseAction>("pause:");
inline constexpr Selector kNextAnimSelector = actionSelector<&OrvessaController::nextanim>("nextanim:");
inline constexpr Selector kResetTransitionSelector = actionSelector<&OrvessaController::resetTransitionBOOL>("resetTransitionBOOL:");
inline constexpr Selector kShowHideToolbarSelector = actionSelector<&OrvessaController::showHideToolbar>("showHideToolbar:");
inline constexpr Selector kShowInfoPanelSelector = actionSelector<&OrvessaController::showInfoPanel>("showInfoPanel:");
inline constexpr Selector kGoToTwitterSelector = actionSelector<&OrvessaController::goToTwitter>("goToTwitter:");
inline constexpr Selector kGoToFacebookSelector = actionSelector<&OrvessaController::goToFacebook>("goToFacebook:");
inline constexpr Selector kReleaseToolbarSelector = plainSelector<&OrvessaController::releaseToolbar>("releaseToolbar");

// Makes the widget's principal class known to the runtime by name, with its class initialisation.
void registerOrvessaClasses(Runtime&);
