#include "split/Pieces.h"

namespace split {

namespace {

std::string replaceAll(std::string_view text, std::string_view what, std::string_view with) {
    std::string out;
    if (what.empty()) return std::string(text);
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(what, from)) != std::string_view::npos; from = at + what.size()) {
        out.append(text, from, at - from);
        out.append(with);
    }
    out.append(text, from);
    return out;
}

} // namespace

std::string Mark(std::string_view value, const Separator& s) {
    if (s.option1) return replaceAll(value, " ", SplitMarker);
    if (s.option2) return replaceAll(value, ",", SplitMarker);
    if (s.option3) return replaceAll(value, ", ", SplitMarker);
    if (s.option4) return replaceAll(value, s.otherText, SplitMarker);
    if (s.option5) return replaceAll(replaceAll(value, "\r\n", SplitMarker), "\n", SplitMarker);
    return {};
}

std::vector<std::string> Cut(std::string_view marked) {
    std::vector<std::string> pieces;
    if (marked.empty()) return pieces;
    std::size_t from = 0;
    for (std::size_t at; (at = marked.find(SplitMarker, from)) != std::string_view::npos;
         from = at + SplitMarker.size())
        pieces.emplace_back(marked.substr(from, at - from));
    pieces.emplace_back(marked.substr(from));
    return pieces;
}

std::size_t TextLength(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) n += c >= 0xF0 ? 2 : 1;
    return n;
}

} // namespace split
