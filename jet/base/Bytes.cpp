#include "jet/base/Bytes.h"

namespace jet {

void ByteView::outside(std::size_t offset, std::size_t length, const char* what) const {
    corrupt(std::string(what) + " at offset " + std::to_string(offset) + " (+" + std::to_string(length) +
            ") lies outside its " + std::to_string(size_) + "-byte block");
}

} // namespace jet
