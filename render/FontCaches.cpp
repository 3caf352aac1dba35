#include "render/FontCaches.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

namespace orvessa {

void releaseFontCaches()
{
    cairo_debug_reset_static_data();
    FcFini();
}

}
