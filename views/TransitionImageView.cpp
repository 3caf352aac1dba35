#include "views/TransitionImageView.h"

std::shared_ptr<TransitionImageView> TransitionImageView::initWithFrame(CGRect frame)
{
    return std::shared_ptr<TransitionImageView>(new TransitionImageView(frame));
}

TransitionImageView::~TransitionImageView()
{
    setOriginalImageViewContainerView(nullptr);
    setIntermediateTransitionView(nullptr);
}

const Selector* TransitionImageView::findMethod(std::string_view selector) const
{
    static constexpr Selector methods[] { kAnimationDidStopSelector };
    if (const Selector* method = lookUp(methods, selector))
        return method;
    return UIImageView::findMethod(selector);
}

std::shared_ptr<UIImageView> TransitionImageView::makeTemporaryView(CGRect rect, std::shared_ptr<UIImage> image) const
{
    auto view = UIImageView::initWithFrame(rect);
    view->setBackgroundColor(UIColor::clearColor());
    view->setContentMode(contentMode());
    view->setClipsToBounds(clipsToBounds());
    view->setImage(std::move(image));
    return view;
}

void TransitionImageView::setImageWithTransitionAnimation(std::shared_ptr<UIImage> newImage, bool animated)
{
    if (!animated) {
        setImage(std::move(newImage));
        return;
    }
    CGRect rect { CGPointZero, frame().size };
    auto incoming = makeTemporaryView(rect, std::move(newImage));
    auto outgoing = makeTemporaryView(rect, image());
    setImage(nullptr);
    addSubview(outgoing);
    addSubview(incoming);
    incoming->setAlpha(0);
    outgoing->setAlpha(1);
    setIntermediateTransitionView(std::move(incoming));
    setOriginalImageViewContainerView(std::move(outgoing));

    UIView::beginAnimations(kAnimationName, nullptr);
    UIView::setAnimationDuration(kDuration);
    UIView::setAnimationDelegate(weak_from_this());
    UIView::setAnimationCurve(UIViewAnimationCurveEaseOut);
    UIView::setAnimationDidStopSelector(kAnimationDidStopSelector);
    intermediateTransitionView()->setAlpha(1);
    originalImageViewContainerView()->setAlpha(0);
    UIView::commitAnimations();
}

void TransitionImageView::animationDidStop(std::string_view, bool, void*)
{
    setAlpha(1);
    setImage(intermediateTransitionView() ? intermediateTransitionView()->image() : nullptr);
    if (auto incoming = intermediateTransitionView())
        incoming->removeFromSuperview();
    setIntermediateTransitionView(nullptr);
    if (auto outgoing = originalImageViewContainerView())
        outgoing->removeFromSuperview();
    setOriginalImageViewContainerView(nullptr);
}
