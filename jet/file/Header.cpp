#include "jet/file/Header.h"

#include <cmath>
#include <cstring>

#include "jet/base/Bytes.h"
#include "jet/crypt/Primitives.h"
#include "jet/format/Text.h"

namespace jet {

Version detectVersion(const std::uint8_t* page0, std::size_t length) {
    if (length < header::VersionByte + 1) corrupt("the file is too short to be an Access database");
    if (page0[0] != page_type::Header || page0[1] != 0x01 || page0[2] != 0 || page0[3] != 0)
        corrupt("not an Access database (page 0 has no database header)");
    const char* name = reinterpret_cast<const char*>(page0 + header::EngineName);
    bool jet = std::memcmp(name, "Standard Jet DB", header::EngineNameLen) == 0;
    bool ace = std::memcmp(name, "Standard ACE DB", header::EngineNameLen) == 0;
    if (!jet && !ace) {
        if (std::memcmp(name, "MSISAM Database", header::EngineNameLen) == 0)
            throw Unsupported("MSISAM (Microsoft Money) files are not Access databases");
        corrupt("not an Access database (unknown engine name in the header)");
    }
    switch (page0[header::VersionByte]) {
    case 0:
        return Version::Jet3;
    case 1:
        return Version::Jet4;
    case 2:
        return Version::Ace12;
    case 3:
        return Version::Ace14;
    case 4: // some writers mark Access 2013 this way; the layout is ACE's
    case 5:
        return Version::Ace16;
    case 6:
        return Version::Ace17;
    default:
        throw Unsupported("unknown Access file version " + std::to_string(page0[header::VersionByte]));
    }
}

void applyHeaderMask(std::vector<std::uint8_t>& page0, const Format& f) {
    if (page0.size() < header::MaskStart + f.headerMaskLength) corrupt("page 0 is too short");
    crypto::rc4(header::MaskKey, sizeof header::MaskKey, page0.data() + header::MaskStart, f.headerMaskLength);
}

std::vector<std::uint8_t> passwordMaskForDate(double creationDate, std::size_t length) {
    std::vector<std::uint8_t> mask(length, 0);
    // The mask is the creation date truncated to a whole number of days, as a little-endian int32.
    double whole = std::floor(creationDate);
    std::int32_t days = 0;
    if (std::isfinite(whole) && whole >= -2147483648.0 && whole <= 2147483647.0)
        days = static_cast<std::int32_t>(whole);
    auto bits = static_cast<std::uint32_t>(days);
    for (std::size_t i = 0; i < length; ++i)
        mask[i] = static_cast<std::uint8_t>(bits >> (8 * (i % 4)));
    return mask;
}

Header parseHeader(const std::vector<std::uint8_t>& page0, const Format& f) {
    ByteView page(page0.data(), page0.size());
    Header h;
    h.version = f.version;
    h.codePage = page.u16(header::CodePage);
    h.databaseKey = page.u32(header::DatabaseKey);
    ByteView pw = page.sub(header::Password, f.passwordLength, "password");
    if (f.jet3) {
        h.sortOrder = page.u16(header::Jet3SortOrder);
        std::string raw;
        for (std::size_t i = 0; i < pw.size() && pw.u8(i) != 0; ++i)
            raw.push_back(static_cast<char>(pw.u8(i)));
        h.password =
            decodeCodePage(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size(), h.codePage);
    } else {
        h.sortOrder = page.u32(header::SortOrder);
        h.creationDate = page.f64(header::CreationDate);
        std::vector<std::uint8_t> bytes(pw.data(), pw.data() + pw.size());
        auto mask = passwordMaskForDate(h.creationDate, bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] ^= mask[i];
        std::size_t chars = 0;
        while (chars * 2 + 1 < bytes.size() && (bytes[chars * 2] | bytes[chars * 2 + 1]) != 0)
            ++chars;
        h.password = decodeUcs2(bytes.data(), chars * 2);
    }
    if (f.version != Version::Jet3 && f.version != Version::Jet4 && h.databaseKey != 0) {
        h.officeEncrypted = true;
        if (page.contains(header::OfficeCryptoInfo, 6)) {
            h.officeCryptoMajor = page.u16(header::OfficeCryptoInfo + 2);
            h.officeCryptoMinor = page.u16(header::OfficeCryptoInfo + 4);
        }
    }
    return h;
}

} // namespace jet
