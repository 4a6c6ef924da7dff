// libFuzzer target over the connection-string parser. The first byte picks the check:
//  - even: the rest is a connection string; it is read or refused with a db::Error, nothing else;
//  - odd: the rest is a path and a password (split at the first NUL); the connection string the program
//    builds from the database page's two boxes reads back as that path and that password.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "db/Access.h"
#include "db/ConnectionString.h"
#include "db/Error.h"

namespace {

[[noreturn]] void finding(const char* what, std::string_view text) {
    std::fprintf(stderr, "fuzz_connection: %s\n  connection string: %.*s\n", what, static_cast<int>(text.size()),
                 text.data());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] % 2 == 0) {
        try {
            db::parseConnectionString(rest);
        } catch (const db::Error&) {
        }
        return 0;
    }
    const std::size_t cut = rest.find('\0');
    const std::string path(rest.substr(0, cut));
    const std::string password(cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1));
    Access::SetConnectionInputs({[&] { return path; }, [&] { return password; }});
    const std::string text = Access::BuildConnectionString();
    db::ConnectionSettings s;
    try {
        s = db::parseConnectionString(text);
    } catch (const db::Error& e) {
        finding(e.what(), text);
    }
    if (s.dataSource != path) finding("the path read back differs", text);
    if (s.databasePassword != password) finding("the password read back differs", text);
    return 0;
}
