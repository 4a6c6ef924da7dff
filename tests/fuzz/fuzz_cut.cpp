// libFuzzer target over the split's cutting. The first byte picks the separator (Space, Comma,
// Comma-Space, Line Break, Other); for Other the rest is the separator's text and the value, split at
// the first NUL, otherwise the rest is the value. The pieces joined by the separator give the value
// back (for Line Break, joined by LF: the value with each CR LF made LF), no piece holds the separator,
// and a value without it is one piece, itself.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "split/Pieces.h"

namespace {

[[noreturn]] void finding(const char* what, std::string_view separator, std::string_view value) {
    std::fprintf(stderr, "fuzz_cut: %s\n  separator: %.*s\n  value: %.*s\n", what, static_cast<int>(separator.size()),
                 separator.data(), static_cast<int>(value.size()), value.data());
    std::abort();
}

std::string replaced(std::string_view text, std::string_view what, std::string_view with) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(what, from)) != std::string_view::npos; from = at + what.size())
        out.append(text.substr(from, at - from)).append(with);
    return out.append(text.substr(from));
}

// The text the pieces are joined with: the separator's own (LF for Line Break).
std::string jointOf(const split::Separator& s) {
    switch (s.kind) {
    case split::Separator::Kind::Space:
        return " ";
    case split::Separator::Kind::Comma:
        return ",";
    case split::Separator::Kind::CommaSpace:
        return ", ";
    case split::Separator::Kind::LineBreak:
        return "\n";
    case split::Separator::Kind::Other:
        break;
    }
    return s.text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    split::Separator s;
    std::string joint;
    switch (data[0] % 5) {
    case 0:
        s = split::Separator::space();
        break;
    case 1:
        s = split::Separator::comma();
        break;
    case 2:
        s = split::Separator::commaSpace();
        break;
    case 3:
        s = split::Separator::lineBreak();
        break;
    default: {
        const std::size_t cut = rest.find('\0');
        if (cut == std::string_view::npos) return 0;
        s = split::Separator::other(std::string(rest.substr(0, cut)));
        rest.remove_prefix(cut + 1);
    }
    }
    const bool lineBreak = s.kind == split::Separator::Kind::LineBreak;
    joint = jointOf(s);
    const std::string value = lineBreak ? replaced(rest, "\r\n", "\n") : std::string(rest);
    const std::vector<std::string> pieces = split::Cut(rest, s);
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!joint.empty() && pieces[i].find(joint) != std::string::npos)
            finding("a piece holds the separator", joint, rest);
        joined += (i ? joint : "") + pieces[i];
    }
    if (joined != value) finding("the pieces joined by the separator are not the value", joint, rest);
    if ((joint.empty() || value.find(joint) == std::string::npos) && !value.empty() &&
        (pieces.size() != 1 || pieces[0] != value))
        finding("a value without the separator is not one piece", joint, rest);
    return 0;
}
