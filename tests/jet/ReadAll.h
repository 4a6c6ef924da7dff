#pragma once
// Reads everything in a database held in memory, the way the fuzzer (tests/fuzz) and the tests over
// its findings do: header, catalog, every table's definition and every row. Engine errors are the
// expected outcome for damaged input; they are returned as text, anything else escapes.

#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// Returns "" when the whole file read cleanly, else the engine's error message.
std::string readAll(const std::uint8_t* data, std::size_t size);

// The pages a full read of an intact file uses: the definitions, usage maps and data pages of the
// catalog and of every user table, and the long-value pages. Ascending, without repeats.
std::vector<std::uint32_t> pagesInUse(const std::string& path);

} // namespace fuzz
