#include "platform/RunLoop.h"
#include "support/TestSupport.h"
#include "views/TransitionImageView.h"

#include <gtest/gtest.h>

using testing_support::TestHome;
using testing_support::TestPlatform;

namespace {

struct CrossFade : testing::Test {
    TestHome home;
    std::unique_ptr<TestPlatform> platform;
    std::shared_ptr<UIImage> red;
    std::shared_ptr<UIImage> blue;
    std::shared_ptr<UIImage> green;
    std::shared_ptr<TransitionImageView> view;

    void SetUp() override
    {
        home.addPhoto("red.JPG", { 255, 0, 0 });
        home.addPhoto("blue.JPG", { 0, 0, 255 });
        home.addPhoto("green.JPG", { 0, 255, 0 });
        platform = std::make_unique<TestPlatform>(home.path());
        red = UIImage::imageWithContentsOfFile("/var/mobile/Media/DCIM/100APPLE/red.JPG");
        blue = UIImage::imageWithContentsOfFile("/var/mobile/Media/DCIM/100APPLE/blue.JPG");
        green = UIImage::imageWithContentsOfFile("/var/mobile/Media/DCIM/100APPLE/green.JPG");
        ASSERT_TRUE(red && blue && green);
        view = TransitionImageView::initWithFrame(CGRectMake(5, 3, 306, 194));
        view->setImage(red);
    }
    void TearDown() override
    {
        view.reset();
        red.reset();
        blue.reset();
        green.reset();
        platform.reset();
    }
    double now() { return platform->now(); }
};

}

TEST_F(CrossFade, NotAnimatedIsAPlainSet)
{
    view->setImageWithTransitionAnimation(blue, false);
    EXPECT_EQ(view->image(), blue);
    EXPECT_TRUE(view->subviews().empty());
    EXPECT_FALSE(view->originalImageViewContainerView());
    EXPECT_FALSE(view->intermediateTransitionView());
    EXPECT_FALSE(platform->context().runLoop().nextFireTime()) << "no animation block, no completion";
}

TEST_F(CrossFade, StartStacksIncomingOverOutgoingAndHidesTheOwnImage)
{
    view->setContentMode(UIViewContentModeScaleAspectFit);
    view->setClipsToBounds(true);
    view->setImageWithTransitionAnimation(blue, true);
    EXPECT_EQ(view->image(), nullptr);
    ASSERT_EQ(view->subviews().size(), 2u);
    auto outgoing = view->originalImageViewContainerView();
    auto incoming = view->intermediateTransitionView();
    EXPECT_EQ(view->subviews()[0], outgoing);
    EXPECT_EQ(view->subviews()[1], incoming);
    EXPECT_EQ(incoming->image(), blue);
    EXPECT_EQ(outgoing->image(), red);
    for (const std::shared_ptr<UIImageView>* each : { &incoming, &outgoing }) {
        const auto& temporary = *each;
        EXPECT_EQ(temporary->frame(), CGRectMake(0, 0, 306, 194));
        EXPECT_EQ(temporary->contentMode(), UIViewContentModeScaleAspectFit);
        EXPECT_TRUE(temporary->clipsToBounds());
        EXPECT_EQ(temporary->backgroundColor(), UIColor::clearColor());
        EXPECT_EQ(temporary->autoresizingMask(), 0u);
        EXPECT_EQ(temporary.use_count(), 3) << "held by its property and by the view (and the local here)";
    }
    EXPECT_FLOAT_EQ(incoming->presentationAlpha(now()), 0);
    EXPECT_FLOAT_EQ(outgoing->presentationAlpha(now()), 1);
    platform->advance(0.5);
    float eased = animationCurveValue(UIViewAnimationCurveEaseOut, 0.5f);
    EXPECT_NEAR(incoming->presentationAlpha(now()), eased, 1e-5);
    EXPECT_NEAR(outgoing->presentationAlpha(now()), 1 - eased, 1e-5);
}

TEST_F(CrossFade, CompletionInstallsTheNewPictureAndDropsTheTemporaryViews)
{
    view->setAlpha(0.3f);
    view->setImageWithTransitionAnimation(blue, true);
    std::weak_ptr<UIImageView> incoming = view->intermediateTransitionView();
    std::weak_ptr<UIImageView> outgoing = view->originalImageViewContainerView();
    platform->advance(0.99);
    EXPECT_EQ(view->image(), nullptr);
    platform->advance(0.02);
    EXPECT_EQ(view->image(), blue);
    EXPECT_FLOAT_EQ(view->alpha(), 1.0f);
    EXPECT_TRUE(view->subviews().empty());
    EXPECT_FALSE(view->intermediateTransitionView());
    EXPECT_FALSE(view->originalImageViewContainerView());
    EXPECT_TRUE(incoming.expired());
    EXPECT_TRUE(outgoing.expired());
}

TEST_F(CrossFade, CutShortEndsLikeFinished)
{
    view->setImageWithTransitionAnimation(blue, true);
    view->animationDidStop(TransitionImageView::kAnimationName, false, nullptr);
    EXPECT_EQ(view->image(), blue);
    EXPECT_TRUE(view->subviews().empty());
}

TEST_F(CrossFade, NullPicturesFadeToAndFromNothing)
{
    view->setImageWithTransitionAnimation(nullptr, true);
    platform->advance(1.0);
    EXPECT_EQ(view->image(), nullptr);
    view->setImageWithTransitionAnimation(blue, true);
    EXPECT_EQ(view->originalImageViewContainerView()->image(), nullptr);
    platform->advance(1.0);
    EXPECT_EQ(view->image(), blue);
}

TEST_F(CrossFade, SecondFadeDuringAFadeStacksASecondPairAndTheFirstCompletionInstallsTheNewest)
{
    view->setImageWithTransitionAnimation(blue, true);
    auto firstIncoming = view->intermediateTransitionView();
    platform->advance(0.5);
    view->setImageWithTransitionAnimation(green, true);
    ASSERT_EQ(view->subviews().size(), 4u);
    EXPECT_EQ(view->originalImageViewContainerView()->image(), nullptr) << "the own image was null mid-fade";
    EXPECT_EQ(view->intermediateTransitionView()->image(), green);

    platform->advance(0.5); // The first completion.
    EXPECT_EQ(view->image(), green);
    EXPECT_FALSE(view->intermediateTransitionView());
    ASSERT_EQ(view->subviews().size(), 2u) << "the first pair stays, held by no property";
    EXPECT_EQ(view->subviews()[1], firstIncoming);

    platform->advance(0.5); // The second finds both properties empty.
    EXPECT_EQ(view->image(), nullptr);
    EXPECT_FLOAT_EQ(view->alpha(), 1.0f);
}

TEST_F(CrossFade, PlainSetDuringAFadeIsReplacedAtCompletion)
{
    view->setImageWithTransitionAnimation(blue, true);
    view->setImageWithTransitionAnimation(green, false);
    EXPECT_EQ(view->image(), green);
    platform->advance(1.0);
    EXPECT_EQ(view->image(), blue);
}

TEST_F(CrossFade, DestroyingTheViewMidFadeReleasesEverything)
{
    view->setImageWithTransitionAnimation(blue, true);
    std::weak_ptr<UIImageView> incoming = view->intermediateTransitionView();
    std::weak_ptr<TransitionImageView> watched = view;
    view.reset();
    EXPECT_TRUE(watched.expired()) << "the animation does not keep its delegate alive";
    EXPECT_TRUE(incoming.expired());
    platform->advance(2); // The completion finds no delegate.
}
