#include "split/Separator.h"

namespace split {

std::string Describe(const Separator& s) {
    switch (s.kind) {
    case Separator::Kind::Space:
        return "Space";
    case Separator::Kind::Comma:
        return "Comma";
    case Separator::Kind::CommaSpace:
        return "Comma-Space";
    case Separator::Kind::LineBreak:
        return "Line Break (Enter)";
    case Separator::Kind::Other:
        return "\"" + s.text + "\"";
    }
    return {};
}

} // namespace split
