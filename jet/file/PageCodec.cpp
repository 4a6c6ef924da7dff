#include "jet/file/PageCodec.h"

#include "jet/crypt/Rc4.h"

namespace jet {

namespace {

class JetRc4Codec final : public PageCodec {
public:
    explicit JetRc4Codec(std::uint32_t key) : key_(key) {}
    void decode(std::uint32_t number, std::uint8_t* page, std::size_t length) const override {
        apply(number, page, length);
    }
    void encode(std::uint32_t number, std::uint8_t* page, std::size_t length) const override {
        apply(number, page, length);
    }

private:
    void apply(std::uint32_t number, std::uint8_t* page, std::size_t length) const {
        std::uint32_t k = key_ ^ number;
        std::uint8_t key[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                               static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 24)};
        Rc4 rc4(key, sizeof key);
        rc4.apply(page, length);
    }
    std::uint32_t key_;
};

} // namespace

std::unique_ptr<PageCodec> makeJetRc4Codec(std::uint32_t databaseKey) {
    return std::make_unique<JetRc4Codec>(databaseKey);
}

} // namespace jet
