#pragma once

#include "db/Variant.h"

namespace app {

// The value itself, or the default when the value is Null. An empty text is not Null.
db::Variant NullToDefault(const db::Variant& value, const db::Variant& defaultValue);

} // namespace app
