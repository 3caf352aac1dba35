#include "platform/View.h"

#include "platform/Context.h"
#include "platform/GestureRecognizer.h"
#include "platform/Touch.h"

#include <algorithm>
#include <utility>

std::shared_ptr<UIView> UIView::initWithFrame(CGRect frame)
{
    return std::shared_ptr<UIView>(new UIView(frame));
}

std::shared_ptr<UIWindow> UIWindow::initWithFrame(CGRect frame)
{
    return std::shared_ptr<UIWindow>(new UIWindow(frame));
}

UIView::UIView(CGRect frame)
    : m_frame(frame)
{
}

UIView::~UIView()
{
    for (auto& subview : m_subviews)
        subview->m_superview = nullptr;
    for (auto& recognizer : m_gestureRecognizers)
        recognizer->setView(nullptr);
}

void UIView::addSubview(std::shared_ptr<UIView> view)
{
    if (!view || view.get() == this)
        return;
    // Adding a view it already holds moves it to the top, as on the platform.
    view->removeFromSuperview();
    view->m_superview = this;
    m_subviews.push_back(std::move(view));
}

void UIView::removeFromSuperview()
{
    UIView* parent = std::exchange(m_superview, nullptr);
    if (!parent)
        return;
    // NOTE: The parent may hold the last reference to this view; keep it until the erase is done.
    auto protectedThis = weak_from_this().lock();
    std::erase_if(parent->m_subviews, [this](const auto& subview) { return subview.get() == this; });
}

UIWindow* UIView::window() const
{
    for (const UIView* view = this; view; view = view->m_superview) {
        if (auto* window = dynamic_cast<const UIWindow*>(view))
            return const_cast<UIWindow*>(window);
    }
    return nullptr;
}

void UIView::setFrame(CGRect frame)
{
    // A frame set by code replaces whatever size autoresizing had wanted below zero.
    m_sizeBelowZero = {};
    applyFrame(frame);
}

void UIView::applyFrame(CGRect frame)
{
    CGSize oldSize = m_frame.size;
    m_frame = frame;
    if (oldSize != frame.size) {
        resizeSubviews(oldSize);
        layoutSubviews();
    }
}

namespace {

// Shares a change of the parent's extent among the flexible parts of one axis, in proportion to
// their current sizes, as the platform's autoresizing does. The extent may come out negative: the
// caller keeps the shortfall so that fixed margins survive a parent smaller than they are.
void autoresizeAxis(float delta, bool flexibleLeading, bool flexibleSize, bool flexibleTrailing, float parentExtent, float& origin, float& extent)
{
    int flexibleCount = int(flexibleLeading) + int(flexibleSize) + int(flexibleTrailing);
    if (flexibleCount == 0 || delta == 0)
        return;
    float leading = std::max(0.0f, origin);
    float trailing = std::max(0.0f, parentExtent - origin - extent);
    float size = std::max(0.0f, extent);
    float total = (flexibleLeading ? leading : 0) + (flexibleSize ? size : 0) + (flexibleTrailing ? trailing : 0);
    auto share = [&](bool flexible, float part) {
        if (!flexible)
            return 0.0f;
        return total > 0 ? delta * part / total : delta / float(flexibleCount);
    };
    origin += share(flexibleLeading, leading);
    extent += share(flexibleSize, size);
}

}

void UIView::resizeSubviews(CGSize oldSize)
{
    float dw = m_frame.size.width - oldSize.width;
    float dh = m_frame.size.height - oldSize.height;
    for (auto& subview : m_subviews) {
        unsigned mask = subview->m_autoresizingMask;
        // Start from the size autoresizing last wanted, which may lie below zero.
        CGRect frame = subview->m_frame;
        frame.size.width -= subview->m_sizeBelowZero.width;
        frame.size.height -= subview->m_sizeBelowZero.height;
        autoresizeAxis(dw, mask & UIViewAutoresizingFlexibleLeftMargin, mask & UIViewAutoresizingFlexibleWidth, mask & UIViewAutoresizingFlexibleRightMargin, oldSize.width, frame.origin.x, frame.size.width);
        autoresizeAxis(dh, mask & UIViewAutoresizingFlexibleTopMargin, mask & UIViewAutoresizingFlexibleHeight, mask & UIViewAutoresizingFlexibleBottomMargin, oldSize.height, frame.origin.y, frame.size.height);
        CGSize belowZero { std::max(0.0f, -frame.size.width), std::max(0.0f, -frame.size.height) };
        frame.size.width += belowZero.width;
        frame.size.height += belowZero.height;
        subview->m_sizeBelowZero = belowZero;
        subview->applyFrame(frame);
    }
}

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const
{
    // Up to the root of this view's tree...
    CGPoint inRoot = point;
    for (const UIView* v = this; v && !dynamic_cast<const UIWindow*>(v); v = v->m_superview) {
        inRoot.x += v->m_frame.origin.x;
        inRoot.y += v->m_frame.origin.y;
    }
    if (!view)
        return inRoot;
    // ...then down into the other view.
    for (const UIView* v = view; v && !dynamic_cast<const UIWindow*>(v); v = v->m_superview) {
        inRoot.x -= v->m_frame.origin.x;
        inRoot.y -= v->m_frame.origin.y;
    }
    return inRoot;
}

bool UIView::pointInside(CGPoint point, UIEvent*) const
{
    return CGRectContainsPoint(bounds(), point);
}

UIView* UIView::hitTest(CGPoint point, UIEvent* event)
{
    if (m_hidden || alpha() < 0.01f || !m_userInteractionEnabled || !pointInside(point, event))
        return nullptr;
    for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it) {
        UIView* subview = it->get();
        CGPoint inSubview { point.x - subview->m_frame.origin.x, point.y - subview->m_frame.origin.y };
        if (UIView* hit = subview->hitTest(inSubview, event))
            return hit;
    }
    return this;
}

void UIView::addGestureRecognizer(std::shared_ptr<UIGestureRecognizer> recognizer)
{
    if (!recognizer)
        return;
    recognizer->setView(this);
    m_gestureRecognizers.push_back(std::move(recognizer));
}

void UIView::offerTouchesToGestureRecognizers(const UITouchSet& touches, UIEvent* event, TouchPhase phase)
{
    // Collect first: a recogniser's action may change the tree while we walk it.
    std::vector<std::shared_ptr<UIGestureRecognizer>> recognizers;
    for (UIView* view = this; view; view = view->m_superview)
        recognizers.insert(recognizers.end(), view->m_gestureRecognizers.begin(), view->m_gestureRecognizers.end());
    for (auto& recognizer : recognizers) {
        for (const auto& touch : touches) {
            if (!touch)
                continue;
            if (phase == TouchPhase::Began)
                recognizer->touchBegan(*touch, event);
            else
                recognizer->touchEnded(*touch, event);
        }
    }
}

void UIView::touchesBegan(const UITouchSet& touches, UIEvent* event)
{
    offerTouchesToGestureRecognizers(touches, event, TouchPhase::Began);
}

void UIView::touchesEnded(const UITouchSet& touches, UIEvent* event)
{
    offerTouchesToGestureRecognizers(touches, event, TouchPhase::Ended);
}

void UIView::beginAnimations(std::string name, void* context)
{
    PlatformContext::current().animator().beginAnimations(std::move(name), context);
}

void UIView::setAnimationDuration(TimeInterval duration)
{
    PlatformContext::current().animator().setAnimationDuration(duration);
}

void UIView::setAnimationCurve(UIViewAnimationCurve curve)
{
    PlatformContext::current().animator().setAnimationCurve(curve);
}

void UIView::setAnimationDelegate(std::weak_ptr<NSObject> delegate)
{
    PlatformContext::current().animator().setAnimationDelegate(std::move(delegate));
}

void UIView::setAnimationDidStopSelector(Selector selector)
{
    PlatformContext::current().animator().setAnimationDidStopSelector(selector);
}

void UIView::commitAnimations()
{
    PlatformContext::current().animator().commitAnimations();
}
