#include "platform/Animation.h"
#include "platform/RunLoop.h"
#include "platform/View.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using testing_support::TestPlatform;

namespace {

class StopListener final : public NSObject {
public:
    static std::shared_ptr<StopListener> make() { return std::shared_ptr<StopListener>(new StopListener()); }
    void didStop(std::string_view name, bool finished, void* context)
    {
        stops.push_back({ std::string(name), finished, context, PlatformContext::current().runLoop().now() });
    }
    struct Stop {
        std::string name;
        bool finished;
        void* context;
        double time;
    };
    std::vector<Stop> stops;

private:
    StopListener() = default;
};

constexpr Selector kDidStop = didStopSelector<&StopListener::didStop>("didStop:finished:context:");

void fade(UIView& view, float to, double duration, std::weak_ptr<NSObject> delegate = {}, UIViewAnimationCurve curve = UIViewAnimationCurveEaseInOut, void* context = nullptr)
{
    UIView::beginAnimations("fade", context);
    UIView::setAnimationDuration(duration);
    UIView::setAnimationCurve(curve);
    UIView::setAnimationDelegate(std::move(delegate));
    UIView::setAnimationDidStopSelector(kDidStop);
    view.setAlpha(to);
    UIView::commitAnimations();
}

}

TEST(AnimationCurve, EndsAndSymmetry)
{
    for (auto curve : { UIViewAnimationCurveEaseInOut, UIViewAnimationCurveEaseIn, UIViewAnimationCurveEaseOut, UIViewAnimationCurveLinear }) {
        EXPECT_FLOAT_EQ(animationCurveValue(curve, 0), 0);
        EXPECT_FLOAT_EQ(animationCurveValue(curve, 1), 1);
    }
    EXPECT_NEAR(animationCurveValue(UIViewAnimationCurveEaseInOut, 0.5f), 0.5f, 1e-4);
    EXPECT_NEAR(animationCurveValue(UIViewAnimationCurveEaseInOut, 0.25f) + animationCurveValue(UIViewAnimationCurveEaseInOut, 0.75f), 1.0f, 1e-4);
    // Ease-out runs ahead of linear time, ease-in behind it.
    EXPECT_GT(animationCurveValue(UIViewAnimationCurveEaseOut, 0.5f), 0.6f);
    EXPECT_LT(animationCurveValue(UIViewAnimationCurveEaseIn, 0.5f), 0.4f);
    // Monotonic.
    float previous = 0;
    for (int i = 1; i <= 100; ++i) {
        float value = animationCurveValue(UIViewAnimationCurveEaseOut, float(i) / 100);
        EXPECT_GE(value, previous);
        previous = value;
    }
}

TEST(AnimationBlock, ModelChangesAtOncePresentationFollowsTheClock)
{
    TestPlatform platform;
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 10, 10));
    view->setAlpha(0);
    fade(*view, 1, 0.5, {}, UIViewAnimationCurveLinear);
    EXPECT_FLOAT_EQ(view->alpha(), 1);
    EXPECT_FLOAT_EQ(view->presentationAlpha(platform.now()), 0);
    platform.advance(0.25);
    EXPECT_NEAR(view->presentationAlpha(platform.now()), 0.5f, 1e-5);
    platform.advance(0.25);
    EXPECT_FLOAT_EQ(view->presentationAlpha(platform.now()), 1);
}

TEST(AnimationBlock, DidStopComesOnceAfterTheEndWithNameAndContext)
{
    TestPlatform platform;
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 10, 10));
    auto listener = StopListener::make();
    int context = 0;
    fade(*view, 0, 1.0, listener, UIViewAnimationCurveEaseOut, &context);
    platform.advance(0.99);
    EXPECT_TRUE(listener->stops.empty());
    platform.advance(5);
    ASSERT_EQ(listener->stops.size(), 1u);
    EXPECT_EQ(listener->stops[0].name, "fade");
    EXPECT_TRUE(listener->stops[0].finished);
    EXPECT_EQ(listener->stops[0].context, &context);
    EXPECT_DOUBLE_EQ(listener->stops[0].time, 1.0);
}

TEST(AnimationBlock, ReplacedAnimationReportsNotFinishedAndNewOneStartsFromScreen)
{
    TestPlatform platform;
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 10, 10));
    auto listener = StopListener::make();
    view->setAlpha(0);
    fade(*view, 1, 1.0, listener, UIViewAnimationCurveLinear);
    platform.advance(0.5);
    fade(*view, 0, 1.0, listener, UIViewAnimationCurveLinear);
    EXPECT_NEAR(view->presentationAlpha(platform.now()), 0.5f, 1e-5) << "no jump when a fade is reversed";
    platform.advance(0.5);
    EXPECT_NEAR(view->presentationAlpha(platform.now()), 0.25f, 1e-5);
    platform.advance(1);
    ASSERT_EQ(listener->stops.size(), 2u);
    EXPECT_FALSE(listener->stops[0].finished);
    EXPECT_TRUE(listener->stops[1].finished);
}

TEST(AnimationBlock, GoneDelegateHearsNothingAndIsNotKeptAlive)
{
    TestPlatform platform;
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 10, 10));
    auto listener = StopListener::make();
    std::weak_ptr<StopListener> watched = listener;
    fade(*view, 0, 1.0, listener);
    listener.reset();
    EXPECT_TRUE(watched.expired());
    platform.advance(2); // Must not crash.
}

TEST(AnimationBlock, SetOutsideABlockTakesEffectAtOnce)
{
    TestPlatform platform;
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 10, 10));
    fade(*view, 0, 1.0);
    platform.advance(0.3);
    view->setAlpha(0.7f);
    EXPECT_FLOAT_EQ(view->presentationAlpha(platform.now()), 0.7f);
}

TEST(AnimationBlock, DefaultCurveIsEaseInOut)
{
    TestPlatform platform;
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 10, 10));
    view->setAlpha(0);
    UIView::beginAnimations("fadeIn", nullptr);
    UIView::setAnimationDuration(0.5);
    view->setAlpha(1);
    UIView::commitAnimations();
    platform.advance(0.125);
    EXPECT_NEAR(view->presentationAlpha(platform.now()), animationCurveValue(UIViewAnimationCurveEaseInOut, 0.25f), 1e-5);
}
