#pragma once
// Page codecs: what stands between a page's bytes on disk and its plain content. Jet RC4 encoding
// (a non-zero database key in a Jet3/Jet4 file) is a codec; so will Office encryption be.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace jet {

class PageCodec {
public:
    virtual ~PageCodec() = default;
    // Turns the stored bytes of page `number` (never 0) into its plain content, in place.
    virtual void decode(std::uint32_t number, std::uint8_t* page, std::size_t length) const = 0;
    // The reverse, for writers.
    virtual void encode(std::uint32_t number, std::uint8_t* page, std::size_t length) const = 0;
};

// Jet RC4 page encoding: page n is RC4 with the 4-byte key (databaseKey XOR n), keystream from byte 0.
std::unique_ptr<PageCodec> makeJetRc4Codec(std::uint32_t databaseKey);

} // namespace jet
