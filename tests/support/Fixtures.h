#pragma once
// The real Access files kept outside the repository. $FENDREL_FIXTURES names their folder (the one
// holding access/ and bad/) at run time; without it, the folder found when the build was configured
// (../shared/fixtures beside the source tree). Tests that use them skip, saying why, when they are
// absent.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

inline std::filesystem::path fixturesDir() {
    if (const char* dir = std::getenv("FENDREL_FIXTURES"); dir && *dir) return dir;
    return FENDREL_FIXTURES_DIR;
}

// Where the fixture `name` of access/ is, whether it is there or not.
inline std::string accessFixture(const std::string& name) {
    return (fixturesDir() / "access" / name).string();
}

} // namespace testsupport
