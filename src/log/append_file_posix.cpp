// POSIX implementation of append_file.h, for the native build of the portable core.
#include "log/append_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The Windows codes that callers report; anything else keeps its errno above 1000, as
// file_io's POSIX side does.
[[noreturn]] void Fail(int err) {
    const int code = err == ENOENT                   ? 2
                     : err == EACCES || err == EPERM ? 5
                     : err == ENOSPC                 ? 112
                                                     : 1000 + err;
    throw TFileError(code, SystemErrorMessage(code));
}

size_t WriteSome(int fd, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

} // namespace

bool ReadSharedIfExists(const std::string& path, std::string& contents, size_t maxSize) {
    return ReadFileIfExists(path, contents, maxSize);
}

void WriteFileReplacing(const std::string& path, std::string_view data) {
    ReplaceFileContents(path, data);
}

struct TAppendFile::TImpl {
    std::string path;
    int fd = -1;
};

TAppendFile::TAppendFile(const std::string& path) : impl_(std::make_unique<TImpl>()) {
    impl_->path = path;
    impl_->fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (impl_->fd < 0)
        Fail(errno);
}

TAppendFile::~TAppendFile() {
    ::close(impl_->fd);
}

bool TAppendFile::StillAtItsPath() const {
    struct stat open = {};
    struct stat named = {};
    if (::fstat(impl_->fd, &open) != 0 || ::stat(impl_->path.c_str(), &named) != 0)
        return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

uint64_t TAppendFile::Size() const {
    struct stat st {};
    if (::fstat(impl_->fd, &st) != 0)
        Fail(errno);
    return static_cast<uint64_t>(st.st_size);
}

void TAppendFile::Truncate(uint64_t size) {
    if (::ftruncate(impl_->fd, static_cast<off_t>(size)) != 0)
        Fail(errno);
}

void TAppendFile::Append(std::string_view data, size_t& written) {
    errno = 0;
    written = WriteSome(impl_->fd, data);
    if (written < data.size())
        Fail(errno ? errno : ENOSPC);
    if (::fsync(impl_->fd) != 0)
        Fail(errno);
}
