#pragma once
// A folder of the test's own under the system's temporary folder, removed with everything in it
// when the test is done.

#include <atomic>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace testsupport {

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        static std::atomic<int> n{0};
        path = std::filesystem::temp_directory_path() /
               ("fendrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
        std::filesystem::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return (path / name).string(); }
};

} // namespace testsupport
