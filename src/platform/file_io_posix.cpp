// POSIX implementation of file_io.h, for the native build of the portable core.
#include "platform/file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <climits>
#include <cstdlib>

namespace {

// errno mapped to the Windows codes that the callers report.
int WindowsCode(int err) {
    switch (err) {
    case ENOENT:
        return 2;
    case ENOTDIR:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return 5;
    case ENOSPC:
        return 112;
    case ETXTBSY:
    case EBUSY:
        return 32;
    default:
        return 1000 + err;
    }
}

[[noreturn]] void Fail(int err) {
    int code = WindowsCode(err);
    throw TFileError(code, SystemErrorMessage(code));
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

std::string ReadAll(int fd, const std::string& path, size_t maxSize) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        Fail(errno);
    const auto bytes = static_cast<unsigned long long>(info.st_size);
    if (S_ISREG(info.st_mode) && bytes > maxSize)
        throw EFileTooLarge(path, bytes, maxSize);
    std::string out;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        if (n == 0)
            return out;
        out.append(buf, static_cast<size_t>(n));
    }
}

void WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
}

} // namespace

std::string SystemErrorMessage(int code) {
    switch (code) {
    case 2:
        return "The system cannot find the file specified";
    case 3:
        return "The system cannot find the path specified";
    case 4:
        return "The system cannot open the file";
    case 5:
        return "Access is denied";
    case 32:
        return "The process cannot access the file because it is being used by another process";
    case 112:
        return "There is not enough space on the disk";
    default:
        if (code >= 1000)
            return std::strerror(code - 1000);
        return "Error " + std::to_string(code);
    }
}

std::string ExecutablePath() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        Fail(errno);
    return std::string(buf, static_cast<size_t>(n));
}

std::string ExecutableDirectory() {
    const std::string path = ExecutablePath();
    return path.substr(0, path.find_last_of('/') + 1);
}

bool ReadFileIfExists(const std::string& path, std::string& contents, size_t maxSize) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return false;
        Fail(errno);
    }
    contents = ReadAll(fd.get(), path, maxSize);
    return true;
}

std::string ReadOrCreateFile(const std::string& path, size_t maxSize) {
    Fd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0)
        Fail(errno);
    return ReadAll(fd.get(), path, maxSize);
}

void ReplaceFileContents(const std::string& path, std::string_view data) {
    // A target that cannot be written fails first, as a plain rewrite would.
    {
        Fd probe(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
        if (probe.get() < 0 && errno != ENOENT)
            Fail(errno);
    }
    const std::string temp = TemporaryFileOf(path);
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0)
        Fail(errno);
    try {
        WriteAll(fd.get(), data);
        if (::fsync(fd.get()) != 0)
            Fail(errno);
        if (::close(fd.release()) != 0)
            Fail(errno);
        if (::rename(temp.c_str(), path.c_str()) != 0)
            Fail(errno);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
}
