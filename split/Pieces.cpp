#include "split/Pieces.h"

#include <utility>

#include "jet/Jet.h"

namespace split {

namespace {

// Where the first separator at or after `at` in `value` starts, and its length; npos when none.
std::pair<std::size_t, std::size_t> nextSeparator(std::string_view value, std::size_t at,
                                                  const Separator& s) {
    constexpr std::size_t none = std::string_view::npos;
    switch (s.kind) {
    case Separator::Kind::Space:
        return {value.find(' ', at), 1};
    case Separator::Kind::Comma:
        return {value.find(',', at), 1};
    case Separator::Kind::CommaSpace:
        return {value.find(", ", at), 2};
    case Separator::Kind::LineBreak: {
        // A line feed, with the carriage return before it when there is one.
        const std::size_t feed = value.find('\n', at);
        if (feed != none && feed > at && value[feed - 1] == '\r') return {feed - 1, 2};
        return {feed, 1};
    }
    case Separator::Kind::Other:
        return {s.text.empty() ? none : value.find(s.text, at), s.text.size()};
    }
    return {none, 0};
}

} // namespace

void CutInto(std::string_view value, const Separator& separator, std::vector<std::string_view>& pieces) {
    if (value.empty()) return;
    std::size_t from = 0;
    for (;;) {
        const auto [at, length] = nextSeparator(value, from, separator);
        if (at == std::string_view::npos) break;
        pieces.push_back(value.substr(from, at - from));
        from = at + length;
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
