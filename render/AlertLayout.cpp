#include "render/AlertLayout.h"

namespace orvessa {

AlertLayout alertLayout(CGSize window, std::size_t buttonCount)
{
    // A box centred on the panel with the button along its foot, sized for a title and three lines.
    const float width = 264;
    const float height = 150;
    CGRect box = CGRectMake((window.width - width) / 2, (window.height - height) / 2, width, height);
    CGRect button = buttonCount == 0 ? CGRectZero : CGRectMake(box.minX() + 12, box.maxY() - 46, box.size.width - 24, 34);
    return { CGRectMake(0, 0, window.width, window.height), box, button };
}

}
