#include "db/TextCase.h"

#include "jet/Jet.h"

namespace db {

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool sameName(std::string_view a, std::string_view b) {
    return jet::sameNameIgnoringCase(std::string(a), std::string(b));
}

} // namespace db
