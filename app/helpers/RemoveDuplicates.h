#pragma once

#include "db/Variant.h"

namespace app {

// The values of the array, each kept at its last occurrence, in input order: (3, 1, 3, 2) gives
// (1, 3, 2). Values compare by value equality (texts case-sensitively). Yields to the window
// system at every comparison.
db::Variant::Array RemoveDuplicates(const db::Variant::Array& values);

} // namespace app
