#pragma once
// Reads everything in a database held in memory, the way the fuzzer (tests/fuzz) and the tests over
// its findings do: header, catalog, every table's definition and every row. Engine errors are the
// expected outcome for damaged input; they are returned as text, anything else escapes.

#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// The passwords an Office-encrypted input is opened with, in turn, so that pages past the header
// are decrypted and read: the one tests/fuzz/make-seeds encrypts with, then those of the encrypted
// fixtures.
inline constexpr const char* EncryptedPasswords[] = {"fuzz", "password", "Test123"};

// Returns "" when the whole file read cleanly, else the engine's error message.
std::string readAll(const std::uint8_t* data, std::size_t size);

// The pages a full read of an intact file uses: the definitions, usage maps and data pages of the
// catalog and of every user table, and the long-value pages. Ascending, without repeats. An
// encrypted file is opened with the first of EncryptedPasswords.
std::vector<std::uint32_t> pagesInUse(const std::string& path);

} // namespace fuzz
