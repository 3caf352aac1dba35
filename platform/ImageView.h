#pragma once

#include "platform/Image.h"
#include "platform/View.h"

// A view that shows one image by its content mode. It takes no user interaction by default.
class UIImageView : public UIView {
public:
    static std::shared_ptr<UIImageView> initWithFrame(CGRect);
    // Framed at the origin with the image's size.
    static std::shared_ptr<UIImageView> initWithImage(std::shared_ptr<UIImage>);

    std::string_view className() const override { return "UIImageView"; }

    const std::shared_ptr<UIImage>& image() const { return m_image; }
    void setImage(std::shared_ptr<UIImage> image) { m_image = std::move(image); }

protected:
    explicit UIImageView(CGRect);

private:
    std::shared_ptr<UIImage> m_image;
};
