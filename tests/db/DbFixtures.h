#pragma once
// The real Access files kept beside the repository; tests that use them skip when they are absent.

#include <filesystem>
#include <string>

#define FIXTURE_OR_SKIP(var, name)                                                                           \
    const std::string var = std::string(FENDREL_SHARED_DIR) + "/fixtures/access/" + (name);                  \
    if (!std::filesystem::exists(var)) GTEST_SKIP() << "fixture " << (name) << " is absent (" << var << ")"
