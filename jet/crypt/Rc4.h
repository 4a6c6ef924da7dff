#pragma once
// RC4, the stream cipher of the header mask and of Jet page encoding.

#include <cstddef>
#include <cstdint>

namespace jet {

class Rc4 {
public:
    Rc4(const std::uint8_t* key, std::size_t keyLength);
    // XORs the next bytes of the keystream into data (encrypts and decrypts alike).
    void apply(std::uint8_t* data, std::size_t length);

private:
    std::uint8_t s_[256];
    std::uint8_t i_ = 0, j_ = 0;
};

} // namespace jet
