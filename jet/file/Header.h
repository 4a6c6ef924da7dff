#pragma once
// Page 0: the database definition page. It tells the format (never the file name does), the code
// page, the key of Jet page encoding, the masked database password, and whether the file carries
// Office encryption.

#include <cstdint>
#include <string>
#include <vector>

#include "jet/format/Format.h"

namespace jet {

struct Header {
    Version version = Version::Jet4;
    std::uint16_t codePage = 0;    // Jet3 text; 0 means the default (1252)
    std::uint32_t databaseKey = 0; // non-zero: pages are encoded (Jet) or encrypted (ACE)
    std::uint32_t sortOrder = 0;
    double creationDate = 0;      // Jet4 and later
    std::string password;         // UTF-8; empty when the database has none
    bool officeEncrypted = false; // ACE file with Office encryption
    std::uint16_t officeCryptoMajor = 0, officeCryptoMinor = 0;
    // For a writer of a new encrypted .accdb: the EncryptionInfo to store at 0x299 (the database
    // key is then non-zero and the password field empty).
    std::vector<std::uint8_t> officeCryptoInfo;
};

// Tells the format from the first bytes of page 0; throws Corrupt when they are not an Access header.
Version detectVersion(const std::uint8_t* page0, std::size_t length);

// XORs the RC4 header mask over page 0 (the same call masks and unmasks).
void applyHeaderMask(std::vector<std::uint8_t>& page0, const Format& f);

// Reads an unmasked page 0.
Header parseHeader(const std::vector<std::uint8_t>& page0, const Format& f);

// The bytes of the password field for the given password (before the header mask): what a writer
// stores, and what a reader compares against.
std::vector<std::uint8_t> passwordMaskForDate(double creationDate, std::size_t length);

} // namespace jet
