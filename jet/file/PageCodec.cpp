#include "jet/file/PageCodec.h"

#include <mutex>

#include "jet/base/Bytes.h"
#include "jet/crypt/OfficeEncryption.h"
#include "jet/crypt/Primitives.h"
#include "jet/format/Format.h"
#include "jet/format/TextEncoder.h"

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
    std::unique_ptr<PageCodec> clone() const override { return std::make_unique<JetRc4Codec>(key_); }
    std::string describe() const override { return "Jet RC4 page encoding"; }

private:
    void apply(std::uint32_t number, std::uint8_t* page, std::size_t length) const {
        std::uint32_t k = key_ ^ number;
        std::uint8_t key[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                               static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 24)};
        crypto::rc4(key, sizeof key, page, length);
    }
    std::uint32_t key_;
};

// Page n is keyed by the database key XOR n, as four little-endian bytes.
class OfficeCodec final : public PageCodec {
public:
    OfficeCodec(std::uint32_t key, std::shared_ptr<const PageCipher> cipher) : key_(key), cipher_(std::move(cipher)) {}
    void decode(std::uint32_t number, std::uint8_t* page, std::size_t length) const override {
        cipher_->decrypt(key_ ^ number, page, length);
    }
    void encode(std::uint32_t number, std::uint8_t* page, std::size_t length) const override {
        cipher_->encrypt(key_ ^ number, page, length);
    }
    std::unique_ptr<PageCodec> clone() const override { return std::make_unique<OfficeCodec>(key_, cipher_); }
    std::string describe() const override { return "Office encryption (" + cipher_->describe() + ")"; }

private:
    std::uint32_t key_;
    std::shared_ptr<const PageCipher> cipher_;
};

} // namespace

std::unique_ptr<PageCodec> makeJetRc4Codec(std::uint32_t databaseKey) {
    return std::make_unique<JetRc4Codec>(databaseKey);
}

std::unique_ptr<PageCodec> makeOfficeCodec(const std::vector<std::uint8_t>& page0, std::uint32_t databaseKey,
                                           const std::string& password) {
    ByteView page(page0.data(), page0.size());
    if (!page.contains(header::OfficeCryptoInfo, 2)) corrupt("the encryption header lies outside page 0");
    const std::uint16_t length = page.u16(header::OfficeCryptoInfo);
    if (!page.contains(header::OfficeCryptoInfo + 2, length))
        corrupt("the encryption header is damaged: its " + std::to_string(length) + " bytes run past page 0");
    ByteView info = page.sub(header::OfficeCryptoInfo + 2, length);
    const std::u16string utf16 = utf16FromUtf8(password);
    // A program that opens one file several times (a split reads it, then writes it) derives its
    // keys once: the last cipher made is kept, under a digest of the encryption header (salts and
    // verifier included) and the password. Access's 100,000 hash rounds cost a tenth of a second.
    crypto::Bytes id(info.data(), info.data() + info.size());
    for (char16_t c : utf16) {
        id.push_back(static_cast<std::uint8_t>(c));
        id.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    id = crypto::digest(crypto::Hash::Sha256, id);
    static std::mutex mutex;
    static crypto::Bytes lastId;
    static std::shared_ptr<const PageCipher> last;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (last && lastId == id) return makeOfficeCodec(databaseKey, last);
    }
    std::shared_ptr<const PageCipher> cipher = openOfficeEncryption(info, utf16);
    {
        std::lock_guard<std::mutex> lock(mutex);
        lastId = id;
        last = cipher;
    }
    return makeOfficeCodec(databaseKey, std::move(cipher));
}

std::unique_ptr<PageCodec> makeOfficeCodec(std::uint32_t databaseKey, std::shared_ptr<const PageCipher> cipher) {
    return std::make_unique<OfficeCodec>(databaseKey, std::move(cipher));
}

} // namespace jet
