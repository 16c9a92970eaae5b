// TAppendStore: appends, the rewrite that keeps the file near its table's size, and the checks
// that tell a file left as it was from one that another program replaced or cut.
#include "log/append_store.h"
#include "log/append_file.h"
#include "platform/file_io.h"

#include <array>

void PutLE(char* out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t GetLE(const char* in, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(static_cast<unsigned char>(in[i])) << (8 * i);
    return value;
}

uint32_t Crc32(const char* data, size_t size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

TAppendStore::TAppendStore(std::string path, const TAppendFormat& format)
    : path_(std::move(path)), format_(format), compactAt_(format.SlackBytes) {}

TAppendStore::~TAppendStore() = default;

std::string TAppendStore::Read() const {
    std::string data, replacement;
    ReadSharedIfExists(path_, data, format_.MaxSize);
    if (ReadInterruptedReplacement(path_, data.size(), format_.Complete, replacement,
                                   format_.MaxSize))
        data.swap(replacement);
    return data;
}

void TAppendStore::StartFrom(std::string_view data, size_t tableBytes) {
    compactAt_ = 2 * uint64_t{tableBytes} + format_.SlackBytes;
    // What the file should hold: after a recovery it is shorter, and the first flush rewrites it.
    fileBytes_ = format_.WholeBytes(data);
    loaded_ = true;
    try {
        Opened();
    } catch (const TFileError&) {
        // Opened at the flush, which tells why it cannot be.
    }
}

void TAppendStore::Forget() {
    loaded_ = true;
    fileBytes_ = 0;
    compactAt_ = format_.SlackBytes;
}

bool TAppendStore::AsLeft() {
    TAppendFile& file = Opened();
    if (!file.StillAtItsPath())
        return false;
    const uint64_t size = file.Size();
    if (size > fileBytes_)
        file.Truncate(fileBytes_);
    return size >= fileBytes_;
}

bool TAppendStore::Crowded(size_t appendBytes) const {
    return fileBytes_ + appendBytes > compactAt_;
}

bool TAppendStore::Write(const std::string* whole, bool asLeft, std::string_view additions,
                         size_t& kept) {
    kept = 0;
    if (whole) {
        try {
            Rewrite(*whole);
            kept = additions.size();
            return true;
        } catch (const std::exception&) {
            if (!asLeft)
                throw;
            // A reader that holds the file without letting it be replaced only delays the
            // rewrite: the additions are appended instead, and later it is tried again.
            compactAt_ = fileBytes_ + format_.SlackBytes;
        }
    }
    Append(additions, kept);
    return false;
}

TAppendFile& TAppendStore::Opened() {
    if (!file_)
        file_ = std::make_unique<TAppendFile>(path_);
    return *file_;
}

// Through a temporary file, which is then held open. Windows moves no file over one that is
// open, not even one open for this.
void TAppendStore::Rewrite(std::string_view data) {
    file_.reset();
    WriteFileReplacing(path_, data);
    fileBytes_ = data.size();
    compactAt_ = 2 * uint64_t{data.size()} + format_.SlackBytes;
    try {
        Opened();
    } catch (const TFileError&) {
        // Written all the same: the next flush opens it, or tells why it cannot.
    }
}

// Whole records that reached the file before a failure count as written; a torn one is cut off
// at the next flush.
void TAppendStore::Append(std::string_view additions, size_t& kept) {
    size_t written = 0;
    try {
        Opened().Append(additions, written);
    } catch (...) {
        kept = format_.WholeBytes(additions.substr(0, written));
        fileBytes_ += kept;
        throw;
    }
    kept = additions.size();
    fileBytes_ += kept;
}
