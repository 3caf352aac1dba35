#pragma once

#include "platform/ImageView.h"

#include <memory>
#include <string_view>

// An image view that replaces its picture at once or with a one-second cross-fade. During a fade
// its own image is null and two temporary views of its size show the pictures: the incoming one on
// top, fading in, the outgoing one beneath it, fading out. The completion installs the new picture
// and discards both. Callers keep fades apart; a second one during a fade stacks a second pair.
class TransitionImageView final : public UIImageView {
public:
    static std::shared_ptr<TransitionImageView> initWithFrame(CGRect);
    ~TransitionImageView() override;

    std::string_view className() const override { return "TransitionImageView"; }

    // Not animated, this is exactly setImage().
    void setImageWithTransitionAnimation(std::shared_ptr<UIImage>, bool animated);
    // The fade's completion, whether it ran to its end or was cut short; the arguments are ignored.
    void animationDidStop(std::string_view animationID, bool finished, void* context);

    // The outgoing view of a running fade, or null.
    const std::shared_ptr<UIImageView>& originalImageViewContainerView() const { return mOriginalImageViewContainerView; }
    void setOriginalImageViewContainerView(std::shared_ptr<UIImageView> view) { mOriginalImageViewContainerView = std::move(view); }
    // The incoming view of a running fade, or null.
    const std::shared_ptr<UIImageView>& intermediateTransitionView() const { return mIntermediateTransitionView; }
    void setIntermediateTransitionView(std::shared_ptr<UIImageView> view) { mIntermediateTransitionView = std::move(view); }

    static constexpr const char* kAnimationName = "ImageViewTransitions";
    static constexpr TimeInterval kDuration = 1.0;

protected:
    const Selector* findMethod(std::string_view selector) const override;

private:
    explicit TransitionImageView(CGRect frame)
        : UIImageView(frame)
    {
    }
    std::shared_ptr<UIImageView> makeTemporaryView(CGRect, std::shared_ptr<UIImage>) const;

    std::shared_ptr<UIImageView> mOriginalImageViewContainerView;
    std::shared_ptr<UIImageView> mIntermediateTransitionView;
};

// The cross-fade's completion, as the animation block sends it.
inline constexpr Selector kAnimationDidStopSelector = didStopSelector<&TransitionImageView::animationDidStop>("animationDidStop:finished:context:");
