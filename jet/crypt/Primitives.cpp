#include "jet/crypt/Primitives.h"

#include <mutex>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <openssl/rand.h>

#include "jet/base/Error.h"

namespace jet::crypto {

namespace {

[[noreturn]] void fail(const char* what) {
    const unsigned long code = ERR_get_error();
    char text[256] = "unknown error";
    if (code) ERR_error_string_n(code, text, sizeof text);
    ERR_clear_error();
    throw Error(std::string("cryptography failed (") + what + "): " + text);
}

const EVP_MD* md(Hash h) {
    switch (h) {
    case Hash::Sha1:
        return EVP_sha1();
    case Hash::Sha256:
        return EVP_sha256();
    case Hash::Sha384:
        return EVP_sha384();
    case Hash::Sha512:
        return EVP_sha512();
    }
    return EVP_sha1();
}

const EVP_CIPHER* aesCipher(Chaining c, std::size_t keyLength) {
    switch (keyLength) {
    case 16:
        return c == Chaining::Cbc ? EVP_aes_128_cbc() : EVP_aes_128_ecb();
    case 24:
        return c == Chaining::Cbc ? EVP_aes_192_cbc() : EVP_aes_192_ecb();
    case 32:
        return c == Chaining::Cbc ? EVP_aes_256_cbc() : EVP_aes_256_ecb();
    default:
        throw Error("an AES key has 16, 24 or 32 bytes, not " + std::to_string(keyLength));
    }
}

// RC4 is only in the legacy provider; it is loaded into a library context of its own so that the
// process's default context stays as it was.
const EVP_CIPHER* rc4Cipher() {
    static std::once_flag once;
    static const EVP_CIPHER* cipher = nullptr;
    std::call_once(once, [] {
        OSSL_LIB_CTX* lib = OSSL_LIB_CTX_new();
        if (!lib) return;
        if (!OSSL_PROVIDER_load(lib, "legacy") || !OSSL_PROVIDER_load(lib, "default")) return;
        cipher = EVP_CIPHER_fetch(lib, "RC4", nullptr);
    });
    if (!cipher) fail("RC4 needs OpenSSL's legacy provider, which could not be loaded");
    return cipher;
}

struct CipherContext {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ~CipherContext() { EVP_CIPHER_CTX_free(ctx); }
};

void run(EVP_CIPHER_CTX* ctx, std::uint8_t* data, std::size_t length, const char* what) {
    // EVP_CipherUpdate takes an int length; pages are far below that, but be exact anyway.
    while (length > 0) {
        const int chunk = static_cast<int>(length < (1u << 30) ? length : (1u << 30));
        int out = 0;
        if (!EVP_CipherUpdate(ctx, data, &out, data, chunk)) fail(what);
        data += chunk;
        length -= static_cast<std::size_t>(chunk);
    }
}

} // namespace

std::size_t hashSize(Hash h) {
    switch (h) {
    case Hash::Sha1:
        return 20;
    case Hash::Sha256:
        return 32;
    case Hash::Sha384:
        return 48;
    case Hash::Sha512:
        return 64;
    }
    return 20;
}

const char* hashName(Hash h) {
    switch (h) {
    case Hash::Sha1:
        return "SHA1";
    case Hash::Sha256:
        return "SHA256";
    case Hash::Sha384:
        return "SHA384";
    case Hash::Sha512:
        return "SHA512";
    }
    return "SHA1";
}

Hasher::Hasher(Hash h) : hash_(h), ctx_(EVP_MD_CTX_new()) {
    if (!ctx_ || !EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(ctx_), md(h), nullptr)) {
        EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(ctx_));
        fail("hash");
    }
}

Hasher::~Hasher() { EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(ctx_)); }

Hasher& Hasher::add(const std::uint8_t* data, std::size_t length) {
    if (length && !EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(ctx_), data, length)) fail("hash");
    return *this;
}

void Hasher::finishInto(std::uint8_t* out) {
    auto* ctx = static_cast<EVP_MD_CTX*>(ctx_);
    if (!EVP_DigestFinal_ex(ctx, out, nullptr) || !EVP_DigestInit_ex(ctx, md(hash_), nullptr)) fail("hash");
}

Bytes Hasher::finish() {
    Bytes out(hashSize(hash_));
    finishInto(out.data());
    return out;
}

Bytes digest(Hash h, const Bytes& a, const Bytes& b) {
    Hasher hasher(h);
    return hasher.add(a).add(b).finish();
}

Bytes fitted(Bytes bytes, std::size_t length, std::uint8_t pad) {
    bytes.resize(length, pad);
    return bytes;
}

void aes(bool encrypt, Chaining chaining, const Bytes& key, const std::uint8_t* iv, std::uint8_t* data,
         std::size_t length) {
    if (length % 16 != 0) throw Error("AES runs over whole 16-byte blocks, not " + std::to_string(length) + " bytes");
    const EVP_CIPHER* cipher = aesCipher(chaining, key.size());
    CipherContext c;
    if (!c.ctx || !EVP_CipherInit_ex(c.ctx, cipher, nullptr, key.data(), chaining == Chaining::Cbc ? iv : nullptr,
                                     encrypt ? 1 : 0))
        fail("AES");
    EVP_CIPHER_CTX_set_padding(c.ctx, 0);
    run(c.ctx, data, length, "AES");
}

void rc4(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length) {
    const EVP_CIPHER* cipher = rc4Cipher();
    CipherContext c;
    if (!c.ctx || !EVP_CipherInit_ex(c.ctx, cipher, nullptr, nullptr, nullptr, 1) ||
        !EVP_CIPHER_CTX_set_key_length(c.ctx, static_cast<int>(keyLength)) ||
        !EVP_CipherInit_ex(c.ctx, nullptr, nullptr, key, nullptr, 1))
        fail("RC4");
    run(c.ctx, data, length, "RC4");
}

void randomBytes(std::uint8_t* out, std::size_t length) {
    if (length && RAND_bytes(out, static_cast<int>(length)) != 1) fail("random bytes");
}

Bytes base64Decode(std::string_view text) {
    std::string clean;
    for (char ch : text)
        if (ch != ' ' && ch != '\r' && ch != '\n' && ch != '\t') clean.push_back(ch);
    if (clean.size() % 4 != 0) throw Error("base64 text of " + std::to_string(clean.size()) + " characters");
    Bytes out(clean.size() / 4 * 3);
    const int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(clean.data()),
                                  static_cast<int>(clean.size()));
    if (n < 0) throw Error("not base64 text");
    std::size_t pad = 0;
    if (!clean.empty() && clean.back() == '=') ++pad;
    if (clean.size() > 1 && clean[clean.size() - 2] == '=') ++pad;
    out.resize(static_cast<std::size_t>(n) - pad);
    return out;
}

std::string base64Encode(const Bytes& bytes) {
    std::string out((bytes.size() + 2) / 3 * 4 + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes.data(),
                                  static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

} // namespace jet::crypto
