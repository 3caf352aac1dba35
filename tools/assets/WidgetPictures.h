#pragma once

#include "tools/assets/AssetWriter.h"

namespace assets {

// The widget's own pictures at scales 1, 2 and 3, in Orvessa.bundle: the empty picture shown when
// there are no photos, and the two link buttons.
void writeWidgetPictures(AssetWriter&);

}
