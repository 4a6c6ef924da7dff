#include "jet/encode/HeaderWriter.h"

#include <cstring>

#include "jet/base/Error.h"
#include "jet/format/CodePage.h"
#include "jet/format/TextEncoder.h"

namespace jet {

namespace {

// Bytes after the engine name that Access files carry in the masked region; their meaning is not
// known, but every Jet 4 and ACE file examined has these values.
constexpr std::uint8_t kObservedAt0x18[24] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                              0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                              0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
constexpr std::size_t kObservedAt0x6A = 0x6A; // u16 0x11A6
constexpr std::size_t kEngineBuild = 0x98;    // u32 0x654, then the text "4.0"
// A table of 256 u16 at 0xE00: two counters, then 00 01 in every slot. Nothing reads it; the
// counters get the lowest values seen in Access's files.
constexpr std::size_t kObservedTable = 0xE00;
// Jet3: u16 1 at 0x38, u16 0x251E at 0x56 (both masked), and the table at 0x600, starting 01 01,
// 14 01.
constexpr std::size_t kJet3ObservedAt0x38 = 0x38;
constexpr std::size_t kJet3ObservedAt0x56 = 0x56;
constexpr std::size_t kJet3ObservedTable = 0x600;

// Jet3 text: 20 single-byte characters in the code page, NUL-padded, under the header mask only.
Bytes encodeJet3Header(const Header& h, const Format& f) {
    Bytes p(f.pageSize, 0);
    p[0] = page_type::Header;
    p[1] = 0x01;
    std::memcpy(p.data() + header::EngineName, "Standard Jet DB", header::EngineNameLen);
    p[header::VersionByte] = 0;
    std::memcpy(p.data() + header::MaskStart, kObservedAt0x18, sizeof kObservedAt0x18);
    putU16(p, kJet3ObservedAt0x38, 1);
    putU16(p, header::Jet3SortOrder, static_cast<std::uint16_t>(h.sortOrder));
    putU16(p, header::CodePage, h.codePage);
    putU32(p, header::DatabaseKey, 0);
    std::vector<std::uint8_t> pw = encodeCodePage(h.password, h.codePage);
    if (pw.size() > f.passwordLength) throw Error("a database password has at most 20 characters");
    std::copy(pw.begin(), pw.end(), p.begin() + header::Password);
    putU16(p, kJet3ObservedAt0x56, 0x251E);
    for (std::size_t at = kJet3ObservedTable; at + 1 < p.size(); at += 2)
        putU16(p, at, 0x0100);
    putU16(p, kJet3ObservedTable, 0x0101);
    putU16(p, kJet3ObservedTable + 2, 0x0114);
    std::vector<std::uint8_t> masked(p.begin(), p.end());
    applyHeaderMask(masked, f);
    return Bytes(masked.begin(), masked.end());
}

std::uint8_t versionByte(Version v) {
    switch (v) {
    case Version::Jet3:
        return 0;
    case Version::Jet4:
        return 1;
    case Version::Ace12:
        return 2;
    case Version::Ace14:
        return 3;
    case Version::Ace16:
        return 5;
    case Version::Ace17:
        return 6;
    }
    return 1;
}

} // namespace

Bytes encodeHeader(const Header& h) {
    const Format& f = formatFor(h.version);
    if (f.jet3) return encodeJet3Header(h, f);
    Bytes p(f.pageSize, 0);
    p[0] = page_type::Header;
    p[1] = 0x01;
    const char* engine = h.version == Version::Jet4 ? "Standard Jet DB" : "Standard ACE DB";
    std::memcpy(p.data() + header::EngineName, engine, header::EngineNameLen);
    p[header::VersionByte] = versionByte(h.version);
    std::memcpy(p.data() + header::MaskStart, kObservedAt0x18, sizeof kObservedAt0x18);
    putU16(p, header::CodePage, h.codePage);
    putU32(p, header::DatabaseKey, 0);
    if (!h.officeCryptoInfo.empty()) {
        if (h.version == Version::Jet4 || h.databaseKey == 0 || !h.password.empty())
            throw Error("internal error: Office encryption is for .accdb files, with a key and no stored password");
        // It must end before the table at 0xE00.
        if (header::OfficeCryptoInfo + 2 + h.officeCryptoInfo.size() > kObservedTable)
            throw Error("internal error: the encryption header does not fit in page 0");
        putU32(p, header::DatabaseKey, h.databaseKey);
        putU16(p, header::OfficeCryptoInfo, static_cast<std::uint16_t>(h.officeCryptoInfo.size()));
        std::copy(h.officeCryptoInfo.begin(), h.officeCryptoInfo.end(), p.begin() + header::OfficeCryptoInfo + 2);
    }

    std::u16string pw = utf16FromUtf8(h.password);
    if (!pw.empty() && h.version != Version::Jet4)
        throw Error("only Access 2002-2003 (.mdb) databases carry a database password; an .accdb password "
                    "means encryption");
    if (pw.size() > f.passwordLength / 2) throw Error("a database password has at most 20 characters");
    Bytes field(f.passwordLength, 0);
    Bytes text = encodeUcs2(pw);
    std::copy(text.begin(), text.end(), field.begin());
    std::vector<std::uint8_t> mask = passwordMaskForDate(h.creationDate, field.size());
    for (std::size_t i = 0; i < field.size(); ++i)
        p[header::Password + i] = field[i] ^ mask[i];

    putU16(p, kObservedAt0x6A, 0x11A6);
    putU32(p, header::SortOrder, h.sortOrder);
    putF64(p, header::CreationDate, h.creationDate);
    putU32(p, kEngineBuild, 0x654);
    std::memcpy(p.data() + kEngineBuild + 4, "4.0", 3);
    for (std::size_t at = kObservedTable; at + 1 < p.size(); at += 2)
        putU16(p, at, 0x0100);
    putU16(p, kObservedTable, 0x0101);

    std::vector<std::uint8_t> masked(p.begin(), p.end());
    applyHeaderMask(masked, f);
    return Bytes(masked.begin(), masked.end());
}

} // namespace jet
