// libFuzzer entry point that breaks a real database rather than reading arbitrary bytes: the input
// is a list of 4-byte edits ([page index u8][offset u16][value u8]) applied to the pages a full read
// of the base file uses. Small inputs reach deep into the reader, where whole-file mutations rarely
// get. The base file is $FENDREL_FUZZ_BASE, else a fixture (from $FENDREL_FIXTURES when it is set).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../jet/ReadAll.h"

namespace {

std::vector<std::uint8_t> base;
std::vector<std::uint32_t> pages;
std::size_t pageSize = 4096;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string path = FENDREL_FUZZ_FIXTURES "/" FENDREL_FUZZ_BASE_NAME;
    if (const char* fixtures = std::getenv("FENDREL_FIXTURES"))
        path = std::string(fixtures) + "/access/" FENDREL_FUZZ_BASE_NAME;
    if (const char* env = std::getenv("FENDREL_FUZZ_BASE")) path = env;
    std::ifstream in(path, std::ios::binary);
    base.assign(std::istreambuf_iterator<char>(in), {});
    if (base.size() < 0x15) {
        std::fprintf(stderr, "fuzz_patch: cannot read the base file %s\n", path.c_str());
        std::exit(1);
    }
    pageSize = base[0x14] == 0 ? 2048 : 4096;
    pages = fuzz::pagesInUse(path);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file = base;
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        std::size_t page = pages[data[i] % pages.size()];
        std::size_t offset = (data[i + 1] | data[i + 2] << 8) % pageSize;
        file[page * pageSize + offset] = data[i + 3];
    }
    fuzz::readAll(file.data(), file.size());
    return 0;
}
