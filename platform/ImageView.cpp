#include "platform/ImageView.h"

UIImageView::UIImageView(CGRect frame)
    : UIView(frame)
{
    setUserInteractionEnabled(false);
}

std::shared_ptr<UIImageView> UIImageView::initWithFrame(CGRect frame)
{
    return std::shared_ptr<UIImageView>(new UIImageView(frame));
}

std::shared_ptr<UIImageView> UIImageView::initWithImage(std::shared_ptr<UIImage> image)
{
    CGRect frame = image ? CGRect { CGPointZero, image->size() } : CGRectZero;
    auto view = initWithFrame(frame);
    view->setImage(std::move(image));
    return view;
}
