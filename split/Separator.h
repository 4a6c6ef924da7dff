#pragma once
// Where values are cut: one of the four fixed separators page 4 offers, or a text of the user's.

#include <string>

namespace split {

struct Separator {
    enum class Kind {
        Space,      // every " "
        Comma,      // every ","
        CommaSpace, // every ", "
        LineBreak,  // every CR LF, and every LF that is not part of one; a lone CR stays
        Other,      // every occurrence of `text`; an empty text cuts nothing
    };
    Kind kind = Kind::Space;
    std::string text; // Other only

    static Separator space() { return {Kind::Space, {}}; }
    static Separator comma() { return {Kind::Comma, {}}; }
    static Separator commaSpace() { return {Kind::CommaSpace, {}}; }
    static Separator lineBreak() { return {Kind::LineBreak, {}}; }
    static Separator other(std::string text) { return {Kind::Other, std::move(text)}; }

    bool operator==(const Separator&) const = default;
};

// How a person would name the separator: "Space", "Comma", "Comma-Space", "Line Break (Enter)",
// "\"; \"" for an Other text.
std::string Describe(const Separator& separator);

} // namespace split
