#include "jet/crypt/Rc4.h"

#include <utility>

namespace jet {

Rc4::Rc4(const std::uint8_t* key, std::size_t keyLength) {
    for (int n = 0; n < 256; ++n)
        s_[n] = static_cast<std::uint8_t>(n);
    std::uint8_t j = 0;
    for (int n = 0; n < 256; ++n) {
        j = static_cast<std::uint8_t>(j + s_[n] + key[static_cast<std::size_t>(n) % keyLength]);
        std::swap(s_[n], s_[j]);
    }
}

void Rc4::apply(std::uint8_t* data, std::size_t length) {
    for (std::size_t n = 0; n < length; ++n) {
        i_ = static_cast<std::uint8_t>(i_ + 1);
        j_ = static_cast<std::uint8_t>(j_ + s_[i_]);
        std::swap(s_[i_], s_[j_]);
        data[n] ^= s_[static_cast<std::uint8_t>(s_[i_] + s_[j_])];
    }
}

} // namespace jet
