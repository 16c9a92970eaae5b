// Shared pieces of the fuzz targets: a failed property aborts with its text, a reader that
// takes fields off the front of the input, a private scratch folder for real files, and the
// stores' checksum and little-endian fields worked out independently of the code under test.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

// A property that does not hold is a finding: abort, so that libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// Takes fixed-size fields off the front of the input; past the end every field reads as 0.
class TFuzzInput {
  public:
    TFuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    template <typename T> T Take() {
        T value{};
        const size_t n = size_ < sizeof(T) ? size_ : sizeof(T);
        std::memcpy(&value, data_, n);
        Skip(n);
        return value;
    }
    std::string TakeBytes(size_t count) {
        const size_t n = size_ < count ? size_ : count;
        std::string out(reinterpret_cast<const char*>(data_), n);
        Skip(n);
        return out;
    }
    std::string Rest() { return TakeBytes(size_); }
    size_t Left() const { return size_; }

  private:
    void Skip(size_t n) {
        data_ += n;
        size_ -= n;
    }
    const uint8_t* data_;
    size_t size_;
};

// A folder of this process only, in memory when the machine has /dev/shm, so that the real
// file operations (with their flushes) stay fast. Removed at exit.
inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        struct stat info {};
        const std::string base = ::stat("/dev/shm", &info) == 0 ? "/dev/shm" : "/tmp";
        std::string path = base + "/corvane-fuzz-" + std::to_string(::getpid());
        ::mkdir(path.c_str(), 0700);
        return path + "/";
    }();
    return folder;
}

// Removes the scratch files named here and then the folder.
inline void RemoveScratchAtExit(std::initializer_list<const char*> names) {
    static std::string files[4];
    static size_t count = 0;
    for (const char* name : names) {
        if (count < 4)
            files[count++] = ScratchFolder() + name;
    }
    std::atexit([] {
        for (size_t i = 0; i < count; ++i) {
            ::unlink(files[i].c_str());
            ::unlink((files[i] + ".tmp").c_str());
        }
        ::rmdir(ScratchFolder().c_str());
    });
}

inline std::string ReadWholeFile(const std::string& path) {
    std::string out;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

inline void WriteWholeFile(const std::string& path, std::string_view data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    FUZZ_CHECK(std::fwrite(data.data(), 1, data.size(), f) == data.size());
    FUZZ_CHECK(std::fclose(f) == 0);
}

// CRC-32 (IEEE, reflected) bit by bit, as the stores' records are checked.
inline uint32_t ReferenceCrc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// A little-endian field of `size` bytes at `at`.
inline uint64_t Field(const std::string& bytes, size_t at, int size) {
    uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}
