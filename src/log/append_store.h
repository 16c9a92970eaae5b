// The file side of a store kept as an append-only file of checked records: the minute's
// additions are appended, and now and then the file is rewritten whole (through a temporary
// file) so that it stays near its table's size. A torn tail left by a kill is cut before the
// next append; a file that another program replaced, cut or removed is rewritten whole.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TAppendFile;

struct TAppendFormat {
    size_t MaxSize;    // a larger file is not of this kind: it is left as it is
    size_t SlackBytes; // appended beyond twice a rewrite's size before the file is rewritten
    // How many leading bytes of a file are whole records: what a torn tail leaves out.
    size_t (*WholeBytes)(std::string_view data);
    // True when data is whole records, each with a good check: a rewrite that was finished.
    bool (*Complete)(std::string_view data);
};

// The little-endian fields and the CRC-32 (the zip one) that the records are made of.
void PutLE(char* out, uint64_t value, int bytes);
uint64_t GetLE(const char* in, int bytes);
uint32_t Crc32(const char* data, size_t size);

// Not thread-safe: its owner holds one lock through every call.
class TAppendStore {
  public:
    TAppendStore(std::string path, const TAppendFormat& format);
    ~TAppendStore();
    TAppendStore(const TAppendStore&) = delete;
    TAppendStore& operator=(const TAppendStore&) = delete;

    // The file, or the complete temporary file of a rewrite that a crash cut short between its
    // two steps when that is longer (on FAT and exFAT the move over the file is no single step).
    // Throws TFileError, or EFileTooLarge for a file over the format's bound.
    std::string Read() const;
    // What Read gave is taken into a table that would take tableBytes rewritten. The file is
    // then held open, so that another program's replacement of it is seen.
    void StartFrom(std::string_view data, size_t tableBytes);
    bool Loaded() const { return loaded_; }
    // What the file held is dropped, also when it could not be read: the next write empties it.
    void Forget();

    // True when the path still names the file held open, at least as long as the store left
    // it; what is longer (a torn record, bytes another program added) is cut off. A file
    // replaced, cut short or gone must be rewritten.
    bool AsLeft();
    // True when appending so many bytes would take the file past the size that calls for a
    // rewrite.
    bool Crowded(size_t appendBytes) const;
    // One flush: `whole`, when given, replaces the file; otherwise, or when a reader keeps a
    // file that is as it was left from being replaced, `additions` are appended. True when the
    // file was rewritten. On failure throws, with `kept` telling how many leading bytes of
    // `additions` reached the file as whole records.
    bool Write(const std::string* whole, bool asLeft, std::string_view additions, size_t& kept);

  private:
    TAppendFile& Opened();
    void Rewrite(std::string_view data);
    void Append(std::string_view additions, size_t& kept);

    const std::string path_;
    const TAppendFormat format_;
    bool loaded_ = false;
    uint64_t fileBytes_ = 0; // how long the file should be: whole records only
    uint64_t compactAt_ = 0; // file length beyond which it is rewritten
    std::unique_ptr<TAppendFile> file_;
};
