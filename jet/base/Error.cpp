#include "jet/base/Error.h"

namespace jet {

void corrupt(const std::string& what) {
    throw Corrupt(what);
}

} // namespace jet
