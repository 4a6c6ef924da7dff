#pragma once
// Page codecs: what stands between a page's bytes on disk and its plain content. Jet RC4 encoding
// (a non-zero database key in a Jet3/Jet4 file) is one; Office encryption of an .accdb (a non-zero
// database key and an EncryptionInfo in page 0) is the other. Page 0 never goes through a codec.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jet {

class PageCodec {
public:
    virtual ~PageCodec() = default;
    // Turns the stored bytes of page `number` (never 0) into its plain content, in place.
    virtual void decode(std::uint32_t number, std::uint8_t* page, std::size_t length) const = 0;
    // The reverse, for writers.
    virtual void encode(std::uint32_t number, std::uint8_t* page, std::size_t length) const = 0;
    // Another codec with the same keys (none derived again), for the writer beside the reader.
    virtual std::unique_ptr<PageCodec> clone() const = 0;
    // What the pages are encoded with, for messages and tools.
    virtual std::string describe() const = 0;
};

// Jet RC4 page encoding: page n is RC4 with the 4-byte key (databaseKey XOR n), keystream from byte 0.
std::unique_ptr<PageCodec> makeJetRc4Codec(std::uint32_t databaseKey);

class PageCipher;

// Office encryption: reads the EncryptionInfo of the unmasked page 0 and checks the password (UTF-8)
// against its verifier; keys are derived here, once. Throws BadPassword ("Not a valid password."),
// Corrupt for a damaged encryption header, Unsupported for a kind not read.
std::unique_ptr<PageCodec> makeOfficeCodec(const std::vector<std::uint8_t>& page0, std::uint32_t databaseKey,
                                           const std::string& password);
// Office encryption with a cipher in hand (a file being created).
std::unique_ptr<PageCodec> makeOfficeCodec(std::uint32_t databaseKey, std::shared_ptr<const PageCipher> cipher);

} // namespace jet
