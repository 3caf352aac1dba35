#pragma once

#include "tools/assets/AssetWriter.h"

namespace assets {

// The built-in home folder: the demo album in its two photo folders, a note and the Photos
// preferences file.
void writeDemoHome(AssetWriter&);

}
