#pragma once

#include "platform/Geometry.h"
#include "platform/Toolbar.h"

typedef struct _cairo cairo_t;

namespace orvessa {

// The toolkit's own glyphs, drawn as paths in the current user space (points), filled with the
// current source. They leave the path empty and change nothing else.

// The glyph of a bar item, about 20 points wide, centred on `centre`. False (and nothing drawn)
// for items that have none, such as spaces.
bool barItemGlyph(cairo_t*, UIBarButtonSystemItem, CGPoint centre);

// An info button's circled "i": a ring with a dot and a stem inside, fitted and centred in `box`.
void infoGlyph(cairo_t*, CGRect box);

}
