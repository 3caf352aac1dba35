#pragma once

namespace orvessa {

// cairo keeps every font it has looked up, and fontconfig its parsed configuration, for the life of
// the process. Call once at exit, after the last cairo object is gone, so a leak checker sees a
// clean process.
void releaseFontCaches();

}
