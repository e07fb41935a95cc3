#pragma once
// The terminal's JSON strings: the shared ones of common/Json.h.

#include "common/Json.h"

namespace cdflash::cli {

using cdflash::JsonString;

}  // namespace cdflash::cli
