#include "app/helpers/NullToDefault.h"

namespace app {

db::Variant NullToDefault(const db::Variant& value, const db::Variant& defaultValue) {
    return value.isNull() ? defaultValue : value;
}

} // namespace app
