#include "platform/ImageView.h"
#include "platform/View.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using testing_support::TestPlatform;

TEST(ViewHierarchy, AddSubviewStacksOnTopAndMovesAViewItAlreadyHolds)
{
    TestPlatform platform;
    auto parent = UIView::initWithFrame(CGRectMake(0, 0, 100, 100));
    auto a = UIView::initWithFrame(CGRectZero);
    auto b = UIView::initWithFrame(CGRectZero);
    parent->addSubview(a);
    parent->addSubview(b);
    parent->addSubview(a);
    ASSERT_EQ(parent->subviews().size(), 2u);
    EXPECT_EQ(parent->subviews()[0], b);
    EXPECT_EQ(parent->subviews()[1], a);
    EXPECT_EQ(a->superview(), parent.get());
}

TEST(ViewHierarchy, RemovingTheLastHolderReleasesTheViewAndParentDeathClearsBackLinks)
{
    TestPlatform platform;
    auto parent = UIView::initWithFrame(CGRectZero);
    std::weak_ptr<UIView> watched;
    {
        auto child = UIView::initWithFrame(CGRectZero);
        watched = child;
        parent->addSubview(child);
    }
    EXPECT_FALSE(watched.expired());
    watched.lock()->removeFromSuperview();
    EXPECT_TRUE(watched.expired());

    auto survivor = UIView::initWithFrame(CGRectZero);
    parent->addSubview(survivor);
    parent.reset();
    EXPECT_EQ(survivor->superview(), nullptr);
}

TEST(ViewHierarchy, WindowAndPointConversion)
{
    TestPlatform platform;
    auto window = UIWindow::initWithFrame(CGRectMake(0, 0, 320, 240));
    auto row = UIView::initWithFrame(CGRectMake(2, 20, 316, 200));
    auto inner = UIView::initWithFrame(CGRectMake(5, 3, 306, 194));
    row->addSubview(inner);
    EXPECT_EQ(inner->window(), nullptr);
    window->addSubview(row);
    EXPECT_EQ(inner->window(), window.get());
    EXPECT_EQ(row->convertPointToView({ 10, 10 }, window.get()), (CGPoint { 12, 30 }));
    EXPECT_EQ(inner->convertPointToView({ 0, 0 }, nullptr), (CGPoint { 7, 23 }));
    EXPECT_EQ(window->convertPointToView({ 7, 23 }, inner.get()), (CGPoint { 0, 0 }));
}

TEST(ViewAutoresizing, FlexibleWidthFollowsTheParentAndKeepsMargins)
{
    TestPlatform platform;
    auto root = UIView::initWithFrame(CGRectMake(0, 0, 316, 200));
    auto background = UIView::initWithFrame(CGRectMake(2, 0, 312, 200));
    background->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    auto fixed = UIView::initWithFrame(CGRectMake(287, 30, 24, 24));
    root->addSubview(background);
    root->addSubview(fixed);
    auto nested = UIView::initWithFrame(CGRectMake(3, 3, 306, 194));
    nested->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    background->addSubview(nested);

    root->setFrame(CGRectMake(0, 0, 404, 200));
    EXPECT_EQ(background->frame(), CGRectMake(2, 0, 400, 200));
    EXPECT_EQ(nested->frame(), CGRectMake(3, 3, 394, 194)) << "resizing cascades";
    EXPECT_EQ(fixed->frame(), CGRectMake(287, 30, 24, 24)) << "no mask, no change";
    root->setFrame(CGRectMake(0, 0, 316, 200));
    EXPECT_EQ(background->frame(), CGRectMake(2, 0, 312, 200));
}

TEST(ViewAutoresizing, ShrinkingBelowTheMarginsAndBackKeepsThem)
{
    TestPlatform platform;
    auto root = UIView::initWithFrame(CGRectMake(0, 0, 316, 200));
    auto background = UIView::initWithFrame(CGRectMake(2, 0, 312, 200));
    background->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    root->addSubview(background);
    auto nested = UIView::initWithFrame(CGRectMake(3, 3, 306, 194));
    nested->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    background->addSubview(nested);

    root->setFrame(CGRectMake(0, 0, 3, 200));
    EXPECT_EQ(background->frame(), CGRectMake(2, 0, 0, 200)) << "a frame never goes negative";
    EXPECT_EQ(nested->frame(), CGRectMake(3, 3, 0, 194));
    root->setFrame(CGRectMake(0, 0, 1, 200));
    root->setFrame(CGRectMake(0, 0, 316, 200));
    EXPECT_EQ(background->frame(), CGRectMake(2, 0, 312, 200)) << "the margins survive the squeeze";
    EXPECT_EQ(nested->frame(), CGRectMake(3, 3, 306, 194));

    // A frame set by code starts afresh: nothing owed from an earlier squeeze.
    root->setFrame(CGRectMake(0, 0, 3, 200));
    background->setFrame(CGRectMake(2, 0, 10, 200));
    root->setFrame(CGRectMake(0, 0, 316, 200));
    EXPECT_EQ(background->frame(), CGRectMake(2, 0, 323, 200));
}

TEST(ViewAutoresizing, FlexibleMarginsShareTheChange)
{
    TestPlatform platform;
    auto root = UIView::initWithFrame(CGRectMake(0, 0, 100, 100));
    auto right = UIView::initWithFrame(CGRectMake(80, 0, 20, 20));
    right->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    root->addSubview(right);
    root->setFrame(CGRectMake(0, 0, 150, 100));
    EXPECT_EQ(right->frame(), CGRectMake(130, 0, 20, 20));
}

TEST(ViewHitTesting, SkipsHiddenTransparentAndNonInteractiveViews)
{
    TestPlatform platform;
    auto window = UIWindow::initWithFrame(CGRectMake(0, 0, 320, 240));
    auto row = UIView::initWithFrame(CGRectMake(2, 20, 316, 200));
    window->addSubview(row);
    auto background = UIImageView::initWithFrame(CGRectMake(2, 0, 312, 200));
    row->addSubview(background);
    auto picture = UIImageView::initWithFrame(CGRectMake(5, 3, 306, 194));
    row->addSubview(picture);
    auto overlay = UIView::initWithFrame(CGRectMake(5, 153, 306, 44));
    row->addSubview(overlay);

    // Image views take no touches by default: the row answers.
    EXPECT_EQ(window->hitTest({ 100, 100 }, nullptr), row.get());
    picture->setUserInteractionEnabled(true);
    EXPECT_EQ(window->hitTest({ 100, 100 }, nullptr), picture.get());

    EXPECT_EQ(window->hitTest({ 100, 200 }, nullptr), overlay.get());
    overlay->setAlpha(0.009f);
    EXPECT_EQ(window->hitTest({ 100, 200 }, nullptr), picture.get());
    overlay->setAlpha(0.01f);
    EXPECT_EQ(window->hitTest({ 100, 200 }, nullptr), overlay.get());
    overlay->setHidden(true);
    EXPECT_EQ(window->hitTest({ 100, 200 }, nullptr), picture.get());

    // Outside the row: the window itself; outside the window: nothing.
    EXPECT_EQ(window->hitTest({ 1, 1 }, nullptr), window.get());
    EXPECT_EQ(window->hitTest({ 400, 1 }, nullptr), nullptr);
    // A subview outside its parent's bounds is not reached through the parent.
    auto stray = UIView::initWithFrame(CGRectMake(400, 0, 10, 10));
    row->addSubview(stray);
    EXPECT_EQ(window->hitTest({ 405, 25 }, nullptr), nullptr);
}

TEST(ViewHitTesting, AnimatingViewIsHitByItsModelAlpha)
{
    TestPlatform platform;
    auto window = UIWindow::initWithFrame(CGRectMake(0, 0, 100, 100));
    auto bar = UIView::initWithFrame(CGRectMake(0, 0, 100, 100));
    bar->setAlpha(0);
    window->addSubview(bar);
    UIView::beginAnimations("toolbaranim", nullptr);
    UIView::setAnimationDuration(0.5);
    bar->setAlpha(1);
    UIView::commitAnimations();
    EXPECT_EQ(window->hitTest({ 50, 50 }, nullptr), bar.get()) << "a fade-in takes taps at once";
}
