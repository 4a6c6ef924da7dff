#pragma once
// The real Access files kept beside the repository; tests that use them skip when they are absent.

#include <filesystem>
#include <string>

#include "support/Fixtures.h"

// A copy of a fixture that may be opened for changing (the fixtures themselves are read-only).
inline std::string writableCopy(const std::string& original, const std::filesystem::path& dir) {
    const auto copy = dir / std::filesystem::path(original).filename();
    std::filesystem::copy_file(original, copy, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    return copy.string();
}

#define FIXTURE_OR_SKIP(var, name)                                                                           \
    const std::string var = testsupport::accessFixture(name);                                                \
    if (!std::filesystem::exists(var)) GTEST_SKIP() << "fixture " << (name) << " is absent (" << var << ")"
