#include "controller/OrvessaController.h"

#include "platform/Application.h"
#include "platform/Context.h"
#include "platform/Conversions.h"
#include "platform/Device.h"
#include "platform/Runtime.h"
#include "slideshow/ImageList.h"
#include "slideshow/SlideshowSettings.h"
#include "touch/Synthesize.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<OrvessaController> OrvessaController::init()
{
    std::string version = UIDevice::currentDevice()->systemVersion();
    if (floatValue(version) >= kVersionGate) {
        // Behaviour stays the same on newer systems; the user only learns why things may look off.
        NSLog("Orvessa: made for OS versions below 8.0; this device runs " + version + ", where the notification panel may show the widget differently.");
    }
    return std::shared_ptr<OrvessaController>(new OrvessaController());
}

OrvessaController::~OrvessaController()
{
    _view.reset();
    _backgroundView.reset();
    _picFrame.reset();
    _controlBar.reset();
    _controlBarItems.reset();
    // Sent by its text through the class's table, as a dynamic message: the teardown must reach
    // whatever answers releaseToolbar at run time, not a method bound when this was compiled.
    performSelector(kReleaseToolbarSelector.name());
    images.reset();
}

const Selector* OrvessaController::findMethod(std::string_view selector) const
{
    static constexpr Selector methods[] {
        kPrevSelector,
        kNextSelector,
        kPlaySelector,
        kPauseSelector,
        kNextAnimSelector,
        kResetTransitionSelector,
        kShowHideToolbarSelector,
        kShowInfoPanelSelector,
        kGoToTwitterSelector,
        kGoToFacebookSelector,
        kReleaseToolbarSelector,
    };
    if (const Selector* method = lookUp(methods, selector))
        return method;
    return NSObject::findMethod(selector);
}

// MARK: - The host's calls

void OrvessaController::loadPlaceholderView()
{
    _view = UIView::initWithFrame({ CGPointZero, { kViewWidth, viewHeight() } });
    _view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);

    std::shared_ptr<UIImage> background = UIImage::imageWithContentsOfFile(kBackgroundImagePath);
    std::shared_ptr<UIImage> stretchable;
    if (background) {
        CGSize size = background->size();
        stretchable = background->stretchableImageWithLeftCapWidth(int(std::floor(size.width * 0.5f)), int(std::floor(size.height * 0.5f)));
    }
    _backgroundView = UIImageView::initWithImage(stretchable);
    _backgroundView->setFrame(CGRectInset(_view->bounds(), 2.0f, 0.0f));
    _backgroundView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    _view->addSubview(_backgroundView);

    initalized = false;
}

void OrvessaController::loadFullView()
{
    // 1. Settings.
    std::shared_ptr<const PropertyListValue> preferences;
    SlideshowSettings slideshowSettings = loadSettings(NSHomeDirectory(), &preferences);
    settings = preferences;
    secondsPerSlide = slideshowSettings.secondsPerSlide;

    // 2. The picture frame, invisible, inside the background's current frame.
    CGRect pictureRect = CGRectInset(_backgroundView ? _backgroundView->frame() : CGRectZero, 3.0f, 3.0f);
    _picFrame = TransitionImageView::initWithFrame(pictureRect);
    _picFrame->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    _picFrame->setAlpha(0.0f);
    if (slideshowSettings.preserveAspect)
        _picFrame->setContentMode(UIViewContentModeScaleAspectFit);

    // 3. The image list.
    images = std::make_shared<const PathList>(loadImageList(NSHomeDirectory(), slideshowSettings.shuffle));

    // 4. The first photo, at once.
    _picFrame->setImage(UIImage::imageWithContentsOfFile(images->at(0)));
    currentImage = 0;

    // 5. Rounded corners, then into the row above the background.
    _picFrame->layer().setMasksToBounds(true);
    _picFrame->layer().setCornerRadius(3.0f);
    if (_view)
        _view->addSubview(_picFrame);

    // 6. The overlay, invisible.
    loadOverlayControls();

    // 7. The auto-advance timer; the first advance comes one interval from now. A host that asks for
    // a second full view without unloading would otherwise orphan a timer that holds us for ever.
    stopAutoAdvance();
    startAutoAdvance();

    // 8. Flags (`playing` went with the timer).
    transitioning = false;
    initalized = true;

    // 9. Fade the picture in.
    UIView::beginAnimations("fadeIn", nullptr);
    UIView::setAnimationDuration(0.5);
    _picFrame->setAlpha(1.0f);
    UIView::commitAnimations();
}

void OrvessaController::unloadView()
{
    _view.reset();
    _backgroundView.reset();
    if (initalized) {
        _picFrame.reset();
        _controlBar.reset();
        _controlBarItems.reset();
        images.reset();
    }
    // Whatever `initalized` says: a second placeholder row after a full view clears it while the
    // timer runs, and that timer would hold us for ever.
    stopAutoAdvance();
}

std::shared_ptr<NSObject> OrvessaController::launchURLForTapLocation(CGPoint location)
{
    std::shared_ptr<UITouch> touch = UITouch::alloc();
    std::shared_ptr<UIView> rootView = view();
    // A message to a missing view answers the zero point, as on the platform.
    CGPoint windowLocation = rootView ? rootView->convertPointToView(location, rootView->window()) : CGPointZero;
    touch = UITouchSynthesize::initWithPointAndView(std::move(touch), windowLocation, rootView.get());
    if (!touch)
        return nullptr;

    std::shared_ptr<UIEvent> began = UIEventSynthesize::initWithTouch(UIEvent::alloc(), touch);
    if (UIView* hitView = touch->view())
        hitView->touchesBegan(began ? began->allTouches() : UITouchSet {}, began.get());

    touch->setPhase(UITouchPhaseEnded);
    std::shared_ptr<UIEvent> ended = UIEventSynthesize::initWithTouch(UIEvent::alloc(), touch);
    if (UIView* hitView = touch->view())
        hitView->touchesEnded(ended ? ended->allTouches() : UITouchSet {}, ended.get());

    began.reset();
    ended.reset();
    touch.reset();
    return nullptr;
}

std::vector<WeeAppStateField> OrvessaController::debugState() const
{
    return {
        { "initalized", initalized },
        { "playing", playing },
        { "transitioning", transitioning },
        { "currentImage", std::int64_t { currentImage } },
        { "secondsPerSlide", double { secondsPerSlide } },
        { "images", images },
        { "hasView", _view != nullptr },
    };
}

// MARK: - Playback

void OrvessaController::showCurrentImageAtOnce()
{
    if (_picFrame && images)
        _picFrame->setImage(UIImage::imageWithContentsOfFile(images->at(std::size_t(currentImage))));
}

void OrvessaController::startAutoAdvance()
{
    _nextTimer = NSTimer::scheduledTimerWithTimeInterval(double(secondsPerSlide), shared_from_this(), kNextAnimSelector, true);
    playing = true;
}

void OrvessaController::stopAutoAdvance()
{
    if (_nextTimer)
        _nextTimer->invalidate();
    _nextTimer.reset();
    playing = false;
}

std::int32_t OrvessaController::wrappedIndex(std::int32_t index) const
{
    auto count = std::int32_t(images->size());
    return index < 0 ? count - 1 : (index >= count ? 0 : index);
}

void OrvessaController::stepAtOnce(std::int32_t delta)
{
    if (transitioning || !images || images->empty())
        return;
    currentImage = wrappedIndex(currentImage + delta);
    showCurrentImageAtOnce();
    // The next automatic advance comes one full interval after a manual step.
    if (playing) {
        stopAutoAdvance();
        startAutoAdvance();
    }
}

void OrvessaController::prev(NSObject*)
{
    stepAtOnce(-1);
}

void OrvessaController::next(NSObject*)
{
    stepAtOnce(+1);
}

void OrvessaController::nextanim(NSObject*)
{
    transitioning = true;
    if (images && !images->empty()) {
        currentImage = wrappedIndex(currentImage + 1);
        if (_picFrame)
            _picFrame->setImageWithTransitionAnimation(UIImage::imageWithContentsOfFile(images->at(std::size_t(currentImage))), true);
    }
    // The run loop alone holds this timer; it keeps the controller alive until it has fired.
    NSTimer::scheduledTimerWithTimeInterval(1.0, shared_from_this(), kResetTransitionSelector, false);
}

void OrvessaController::resetTransitionBOOL(NSObject*)
{
    transitioning = false;
}

void OrvessaController::swapPlayPauseItem(const std::shared_ptr<UIBarButtonItem>& from, const std::shared_ptr<UIBarButtonItem>& to)
{
    if (!_controlBarItems)
        return;
    auto slot = std::find(_controlBarItems->begin(), _controlBarItems->end(), from);
    if (slot != _controlBarItems->end())
        *slot = to;
    if (_controlBar)
        _controlBar->setItems(*_controlBarItems, true);
}

void OrvessaController::playAction(NSObject*)
{
    // Out of turn it would schedule a second timer and leave the first running for ever.
    if (playing)
        return;
    startAutoAdvance();
    swapPlayPauseItem(play, pause);
}

void OrvessaController::pauseAction(NSObject*)
{
    if (!playing)
        return;
    stopAutoAdvance();
    swapPlayPauseItem(pause, play);
}

// MARK: - The overlay

void OrvessaController::loadOverlayControls()
{
    if (!_picFrame)
        return;
    // Without a root view (a full view the host asked for without a placeholder row) everything is
    // built all the same and added nowhere, as a message to a missing view does nothing; returning
    // early would leave an earlier bar and items list whose play/pause slot no longer fits.
    auto addToRoot = [this](std::shared_ptr<UIView> view) {
        if (_view)
            _view->addSubview(std::move(view));
    };
    CGRect p = _picFrame->frame();

    _controlBar = UIToolbar::initWithFrame(CGRectMake(p.origin.x, p.origin.y + p.size.height - 44.0f, p.size.width, 44.0f));
    _controlBar->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    addToRoot(_controlBar);
    _controlBar->setUserInteractionEnabled(true);
    _picFrame->setUserInteractionEnabled(true);
    _controlBar->setAlpha(0.0f);

    initToolbar();
    auto space = [] { return UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFlexibleSpace, {}, {}); };
    _controlBarItems = std::vector { back, space(), pause, space(), forward };
    _controlBar->setItems(*_controlBarItems);
    _controlBar->setTranslucent(true);
    _controlBar->setBarStyle(UIBarStyleBlack);

    auto infoButton = UIButton::buttonWithType(UIButtonTypeInfoLight);
    _infoButton = infoButton;
    infoButton->setBackgroundColor(UIColor::blackColor());
    infoButton->layer().setCornerRadius(12.0f);
    infoButton->addTarget(weak_from_this(), kShowInfoPanelSelector, UIControlEventTouchUpInside);
    CGSize info = infoButton->frame().size;
    infoButton->setFrame(CGRectMake(p.origin.x + p.size.width - info.width, p.origin.y, info.width, info.height));
    infoButton->setAlpha(0.0f);
    addToRoot(infoButton);

    auto twitterButton = makeLinkButton(kTwitterImagePath, kGoToTwitterSelector, CGRectMake(p.origin.x + p.size.width - 24.0f, p.origin.y + info.height + 5.0f, 24.0f, 24.0f));
    _twitterButton = twitterButton;
    addToRoot(twitterButton);

    CGRect t = twitterButton->frame();
    auto facebookButton = makeLinkButton(kFacebookImagePath, kGoToFacebookSelector, CGRectMake(p.origin.x + p.size.width - 24.0f, t.origin.y + t.size.height + 5.0f, 24.0f, 24.0f));
    _facebookButton = facebookButton;
    addToRoot(facebookButton);

    auto recognizer = UITapGestureRecognizer::initWithTarget(weak_from_this(), kShowHideToolbarSelector);
    recognizer->setCancelsTouchesInView(false);
    recognizer->setDelegate(std::weak_ptr<UIGestureRecognizerDelegate>(sharedAs<OrvessaController>()));
    _picFrame->addGestureRecognizer(std::move(recognizer));
}

std::shared_ptr<UIButton> OrvessaController::makeLinkButton(const char* imagePath, Selector action, CGRect frame)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setImage(UIImage::imageWithContentsOfFile(imagePath), UIControlStateNormal);
    button->addTarget(weak_from_this(), action, UIControlEventTouchUpInside);
    button->setFrame(frame);
    button->setAlpha(0.0f);
    return button;
}

void OrvessaController::initToolbar()
{
    back = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemRewind, weak_from_this(), kPrevSelector);
    forward = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFastForward, weak_from_this(), kNextSelector);
    play = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemPlay, weak_from_this(), kPlaySelector);
    pause = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemPause, weak_from_this(), kPauseSelector);
}

void OrvessaController::releaseToolbar()
{
    back.reset();
    forward.reset();
    play.reset();
    pause.reset();
}

void OrvessaController::showHideToolbar(NSObject*)
{
    if (!_controlBar)
        return;
    UIView::beginAnimations("toolbaranim", nullptr);
    UIView::setAnimationDuration(0.5);
    float alpha = _controlBar->alpha() == 0.0f ? 1.0f : 0.0f;
    _controlBar->setAlpha(alpha);
    for (const auto& weakButton : { _infoButton, _twitterButton, _facebookButton }) {
        if (auto button = weakButton.lock())
            button->setAlpha(alpha);
    }
    UIView::commitAnimations();
}

bool OrvessaController::gestureRecognizerShouldReceiveTouch(UIGestureRecognizer*, UITouch* touch)
{
    UIView* touched = touch ? touch->view() : nullptr;
    if (touched && isKindOfClass<UIToolbar>(touched->superview()))
        return false;
    if (isKindOfClass<UIToolbar>(touched))
        return false;
    return true;
}

void OrvessaController::showInfoPanel(NSObject*)
{
    auto alert = UIAlertView::initWithTitle(kInfoTitle, kInfoMessage, {}, "OK");
    alert->show();
}

void OrvessaController::goToTwitter(NSObject*)
{
    if (auto url = NSURL::URLWithString(kTwitterPageURL))
        UIApplication::sharedApplication().openURL(*url);
}

void OrvessaController::goToFacebook(NSObject*)
{
    if (auto url = NSURL::URLWithString(kFacebookPageURL))
        UIApplication::sharedApplication().openURL(*url);
}

void registerOrvessaClasses(Runtime& runtime)
{
    runtime.registerClass(
        "OrvessaController", [] { return OrvessaController::init(); },
        [](Runtime::Class& cls) {
            // The widget's bundle lives as long as the class: the runtime keeps it.
            cls.heldForever.push_back(NSBundle::bundleForClass(cls.name));
        });
}
