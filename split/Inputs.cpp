#include "split/Inputs.h"

namespace split {

std::string Inputs::fieldName() const {
    const std::string& r = fieldReference;
    if (r.size() >= 2 && r.front() == '`' && r.back() == '`') return r.substr(1, r.size() - 2);
    return r;
}

} // namespace split
