#include "split/Pieces.h"

#include "jet/Jet.h"

namespace split {

namespace {

// The separator's length at `at` in `value`, 0 when none starts there.
std::size_t separatorAt(std::string_view value, std::size_t at, const Separator& s) {
    const std::string_view rest = value.substr(at);
    switch (s.kind) {
    case Separator::Kind::Space:
        return rest.front() == ' ' ? 1 : 0;
    case Separator::Kind::Comma:
        return rest.front() == ',' ? 1 : 0;
    case Separator::Kind::CommaSpace:
        return rest.starts_with(", ") ? 2 : 0;
    case Separator::Kind::LineBreak:
        return rest.starts_with("\r\n") ? 2 : rest.front() == '\n' ? 1 : 0;
    case Separator::Kind::Other:
        return !s.text.empty() && rest.starts_with(s.text) ? s.text.size() : 0;
    }
    return 0;
}

} // namespace

void CutInto(std::string_view value, const Separator& separator, std::vector<std::string_view>& pieces) {
    if (value.empty()) return;
    std::size_t from = 0;
    for (std::size_t at = 0; at < value.size();) {
        if (const std::size_t n = separatorAt(value, at, separator)) {
            pieces.push_back(value.substr(from, at - from));
            at += n;
            from = at;
        } else {
            ++at;
        }
    }
    pieces.push_back(value.substr(from));
}

std::vector<std::string> Cut(std::string_view value, const Separator& separator) {
    std::vector<std::string_view> views;
    CutInto(value, separator, views);
    return {views.begin(), views.end()};
}

std::size_t TextLength(std::string_view utf8) {
    return jet::utf16Length(utf8);
}

} // namespace split
