// Files for the tests: a private temporary folder, and whole files read and written as bytes.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace testsupport {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes; entries a test made read-only are made writable first.
class TTempFolder {
  public:
    // prefix: the start of the folder's name; a wide one may hold any character.
    explicit TTempFolder(const fs::path& prefix = "corvane-test") {
        std::random_device device;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        std::mt19937_64 mix(static_cast<uint64_t>(stamp) ^ device());
        do {
            fs::path name = prefix;
            name += "-" + std::to_string(mix());
            path_ = fs::temp_directory_path() / name;
        } while (!fs::create_directory(path_));
    }
    ~TTempFolder() {
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ec))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

// The whole file; empty when it cannot be read.
inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file with bytes; a failure fails the test.
inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

} // namespace testsupport
