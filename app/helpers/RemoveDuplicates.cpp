#include "app/helpers/RemoveDuplicates.h"

#include "app/ui/Runtime.h"

namespace app {

db::Variant::Array RemoveDuplicates(const db::Variant::Array& values) {
    db::Variant::Array result;
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool repeated = false;
        for (std::size_t j = i + 1; j < values.size(); ++j) {
            DoEvents();
            if (values[j] == values[i]) repeated = true;
        }
        if (!repeated) result.push_back(values[i]);
    }
    return result;
}

} // namespace app
