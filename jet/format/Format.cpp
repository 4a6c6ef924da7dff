#include "jet/format/Format.h"

namespace jet {

namespace {

constexpr Format jet3Format() {
    Format f{};
    f.version = Version::Jet3;
    f.jet3 = true;
    f.pageSize = 2048;
    f.headerMaskLength = 126;
    f.passwordLength = 20;
    f.dataRowCount = 0x08;
    f.dataTdefPage = 0x04;
    f.tdefRowCount = 0x0C;
    f.tdefAutoNumber = 0x10;
    f.tdefTableType = 0x14;
    f.tdefMaxCols = 0x15;
    f.tdefVarCols = 0x17;
    f.tdefColumnCount = 0x19;
    f.tdefLogicalIndexCount = 0x1B;
    f.tdefRealIndexCount = 0x1F;
    f.tdefOwnedPages = 0x23;
    f.tdefFreePages = 0x27;
    f.tdefBlocksStart = 0x2B;
    f.realIndexEntry = 8;
    f.columnEntry = 18;
    f.nameLengthSize = 1;
    f.realIndexColumns = 39;
    f.logicalIndexEntry = 20;
    f.colType = 0;
    f.colNumber = 1;
    f.colVarIndex = 3;
    f.colSortOrder = 9;
    f.colCodePage = 11;
    f.colPrecision = 11;
    f.colComplexId = 0; // none
    f.colFlags = 13;
    f.colExtFlags = 0; // none
    f.colFixedOffset = 14;
    f.colLength = 16;
    f.rowCountSize = 1;
    f.maxLongValueRow = 2032;
    return f;
}

constexpr Format jet4Format(Version v) {
    Format f{};
    f.version = v;
    f.jet3 = false;
    f.pageSize = 4096;
    f.headerMaskLength = 128;
    f.passwordLength = 40;
    f.dataRowCount = 0x0C;
    f.dataTdefPage = 0x04;
    f.tdefRowCount = 0x10;
    f.tdefAutoNumber = 0x14;
    f.tdefTableType = 0x28;
    f.tdefMaxCols = 0x29;
    f.tdefVarCols = 0x2B;
    f.tdefColumnCount = 0x2D;
    f.tdefLogicalIndexCount = 0x2F;
    f.tdefRealIndexCount = 0x33;
    f.tdefOwnedPages = 0x37;
    f.tdefFreePages = 0x3B;
    f.tdefBlocksStart = 0x3F;
    f.realIndexEntry = 12;
    f.columnEntry = 25;
    f.nameLengthSize = 2;
    f.realIndexColumns = 52;
    f.logicalIndexEntry = 28;
    f.colType = 0;
    f.colNumber = 5;
    f.colVarIndex = 7;
    f.colSortOrder = 11;
    f.colCodePage = 0; // none: text is UCS-2
    f.colPrecision = 11;
    f.colComplexId = 11;
    f.colFlags = 15;
    f.colExtFlags = 16;
    f.colFixedOffset = 21;
    f.colLength = 23;
    f.rowCountSize = 2;
    f.maxLongValueRow = 4076;
    return f;
}

constexpr Format kJet3 = jet3Format();
constexpr Format kJet4 = jet4Format(Version::Jet4);
constexpr Format kAce12 = jet4Format(Version::Ace12);
constexpr Format kAce14 = jet4Format(Version::Ace14);
constexpr Format kAce16 = jet4Format(Version::Ace16);
constexpr Format kAce17 = jet4Format(Version::Ace17);

} // namespace

const char* versionName(Version v) {
    switch (v) {
    case Version::Jet3:
        return "Jet3";
    case Version::Jet4:
        return "Jet4";
    case Version::Ace12:
        return "ACE12";
    case Version::Ace14:
        return "ACE14";
    case Version::Ace16:
        return "ACE16";
    case Version::Ace17:
        return "ACE17";
    }
    return "?";
}

const Format& formatFor(Version v) {
    switch (v) {
    case Version::Jet3:
        return kJet3;
    case Version::Jet4:
        return kJet4;
    case Version::Ace12:
        return kAce12;
    case Version::Ace14:
        return kAce14;
    case Version::Ace16:
        return kAce16;
    case Version::Ace17:
        return kAce17;
    }
    return kJet4;
}

std::uint64_t maxFileSize(const Format& f) {
    return f.jet3 ? (std::uint64_t{1} << 30) : (std::uint64_t{1} << 31);
}

} // namespace jet
