#pragma once
// Office encryption of .accdb files: the EncryptionInfo stored in page 0 (after its u16 length at
// 0x299), the password checked against its verifier, and the page cipher that follows from it.
// Keys are derived once, when the cipher is made; a page then costs one short hash and one pass
// of the cipher. Every page n > 0 is keyed by its 4-byte block key, LE32(database key XOR n).
//
// Kinds read and written:
//   4.4            agile: an XML descriptor; AES-CBC pages, IV = H(keyData salt + block key)
//   2.2/3.2/4.2    CryptoAPI RC4 (40- or 128-bit keys), SHA-1: key = SHA1(SHA1(salt + password)
//                  + block key), cut to the key size (a 40-bit key is zero-extended to 16 bytes)
//   2.2/3.2/4.2    CryptoAPI AES: with the fAES flag, ECMA-376 standard encryption (50,000 hash
//                  rounds); without it (Access's own, non-standard variant), no rounds. AES-ECB
//                  pages keyed by the CryptoAPI key derivation of the block key.

#include <cstdint>
#include <memory>
#include <string>

#include "jet/base/Bytes.h"
#include "jet/crypt/Primitives.h"

namespace jet {

class PageCipher {
public:
    virtual ~PageCipher() = default;
    // In place, over a whole page (block ciphers need whole 16-byte blocks).
    virtual void decrypt(std::uint32_t blockKey, std::uint8_t* page, std::size_t length) const = 0;
    virtual void encrypt(std::uint32_t blockKey, std::uint8_t* page, std::size_t length) const = 0;
    // What the file is encrypted with, for messages and tools ("agile AES-256, SHA-512").
    virtual std::string describe() const = 0;
};

// Reads `info` (from the version numbers on) and checks `password` (UTF-16 code units, at most
// the first 255 used) against its verifier. Throws BadPassword ("Not a valid password.") when it
// does not match, Corrupt when the structure is damaged, Unsupported for a kind not read.
std::shared_ptr<const PageCipher> openOfficeEncryption(ByteView info, const std::u16string& password);

// A new agile encryption (AES-256, SHA-512, as Access 2010 and later make it) with fresh salts and
// key: the EncryptionInfo to store and its cipher.
struct NewOfficeEncryption {
    crypto::Bytes info;
    std::shared_ptr<const PageCipher> cipher;
};
NewOfficeEncryption makeAgileEncryption(const std::u16string& password, std::uint32_t spinCount = 100000);

// The most hash rounds a descriptor may ask for (the format's own limit); more is damage.
inline constexpr std::uint32_t MaxSpinCount = 10'000'000;

} // namespace jet
