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

    // The fields, in declaration order. Owned unless marked.
    std::shared_ptr<UIView> _view;
    std::shared_ptr<UIImageView> _backgroundView;
    std::shared_ptr<TransitionImageView> _picFrame;
    std::shared_ptr<UIToolbar> _controlBar;
    std::shared_ptr<UIBarButtonItem> back;
    std::shared_ptr<UIBarButtonItem> forward;
    std::shared_ptr<UIBarButtonItem> pause;
    std::shared_ptr<UIBarButtonItem> play;
    std::optional<std::vector<std::shared_ptr<UIBarButtonItem>>> _controlBarItems;
    std::optional<std::vector<std::string>> images;
    std::weak_ptr<const PropertyListValue> settings; // Not owned; only read while loadFullView runs.
    std::shared_ptr<NSTimer> _nextTimer; // Null whenever `playing` is false.
    std::weak_ptr<UIButton> _infoButton; // Not owned: the root view holds the three buttons.
    std::weak_ptr<UIButton> _facebookButton;
    std::weak_ptr<UIButton> _twitterButton;
    bool playing { false };
    bool transitioning { false };
    bool initalized { false }; // Spelt as the widget's readers know it.
    std::int32_t currentImage { 0 };
    float secondsPerSlide { 0 };

protected:
    const Method* findMethod(std::string_view selector) const override;

private:
    OrvessaController() = default;
    // An index one step outside the image list wraps to its other end.
    std::int32_t wrappedIndex(std::int32_t index) const;
    void stepAtOnce(std::int32_t delta);
    void showCurrentImageAtOnce();
    void scheduleNextTimer();
    void stopNextTimer();
    void swapPlayPauseItem(const std::shared_ptr<UIBarButtonItem>& from, const std::shared_ptr<UIBarButtonItem>& to);
    std::shared_ptr<UIButton> makeLinkButton(const char* imagePath, const char* action, CGRect frame);
};

// Makes the widget's principal class known to the runtime by name, with its class initialisation.
void registerOrvessaClasses(Runtime&);
