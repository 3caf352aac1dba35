#pragma once

#include "tools/assets/AssetWriter.h"

namespace assets {

// The platform's row background at scales 1, 2 and 3, in StocksWeeApp.bundle.
void writeRowBackgrounds(AssetWriter&);

}
