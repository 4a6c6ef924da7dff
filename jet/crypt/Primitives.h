#pragma once
// The cryptographic primitives of Office encryption, all from OpenSSL's libcrypto: the hashes,
// AES (CBC and ECB, whole blocks, no padding), RC4 (from OpenSSL's legacy provider), random bytes
// and base64. Failures of the library throw Error.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jet::crypto {

using Bytes = std::vector<std::uint8_t>;

enum class Hash { Sha1, Sha256, Sha384, Sha512 };
std::size_t hashSize(Hash h);
const char* hashName(Hash h); // as the agile descriptor spells it: "SHA1", "SHA512", ...

// A hash computed from parts; reusable after finish().
class Hasher {
public:
    explicit Hasher(Hash h);
    ~Hasher();
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;
    Hasher& add(const std::uint8_t* data, std::size_t length);
    Hasher& add(const Bytes& b) { return add(b.data(), b.size()); }
    Bytes finish();
    // Writes the digest to out (hashSize bytes) and starts over.
    void finishInto(std::uint8_t* out);

private:
    Hash hash_;
    void* ctx_;
};

Bytes digest(Hash h, const Bytes& a, const Bytes& b = {});

// `bytes` cut or padded with `pad` to `length`.
Bytes fitted(Bytes bytes, std::size_t length, std::uint8_t pad);

enum class Chaining { Cbc, Ecb };

// AES with a 16-, 24- or 32-byte key over whole 16-byte blocks, in place. `iv` (16 bytes) is
// ignored for ECB.
void aes(bool encrypt, Chaining chaining, const Bytes& key, const std::uint8_t* iv, std::uint8_t* data,
         std::size_t length);

// RC4 keyed with `key`, keystream from its start, XORed over data in place.
void rc4(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data, std::size_t length);

void randomBytes(std::uint8_t* out, std::size_t length);

// Throws Error on characters outside base64.
Bytes base64Decode(std::string_view text);
std::string base64Encode(const Bytes& bytes);

} // namespace jet::crypto
