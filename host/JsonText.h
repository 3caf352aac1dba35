#pragma once

#include <nlohmann/json.hpp>

namespace orvessa {

// Makes every string value of the document valid UTF-8: each byte that belongs to no well-formed
// sequence (a Latin-1 file name, say) becomes U+FFFD, so the document always serialises and any JSON
// reader takes it. Keys are the program's own names and are left as they are.
void replaceInvalidUtf8(nlohmann::ordered_json&);

}
