// The configuration store: an in-memory copy of an INI file, read once and written back whole.
// Safe for concurrent use: every operation is serialised by the store's lock.
#pragma once
#include "config/number_text.h"
#include "platform/sync.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Makes UTF-8 of a file's text that is not UTF-8 (earlier versions wrote the 8-bit code page).
using TLegacyTextDecoder = std::string (*)(std::string_view text);

class TMemIniFile {
  public:
    // Reads the file when it exists; a file that exists but cannot be read throws TFileError,
    // one too large throws EFileTooLarge. A complete temporary file left longer than the file
    // by an interrupted write is read instead and written back. Text that is not UTF-8 goes
    // through legacy when one is given; the store holds and writes UTF-8 from then on.
    explicit TMemIniFile(std::string path, TLegacyTextDecoder legacy = nullptr);
    // Builds the store from text already in memory; the file is not touched.
    TMemIniFile(std::string path, std::string_view text);
    TMemIniFile(const TMemIniFile&) = delete;
    TMemIniFile& operator=(const TMemIniFile&) = delete;

    std::string QueryText(const std::string& section, const std::string& key,
                          const std::string& def) const;
    // The same, written over `value`: a reader that calls it every second with one string
    // reuses that string's storage instead of going to the heap.
    void QueryText(const std::string& section, const std::string& key, std::string_view def,
                   std::string& value) const;
    int32_t QueryInt(const std::string& section, const std::string& key, int32_t def) const;
    bool QueryFlag(const std::string& section, const std::string& key, bool def) const;
    // Whether the key is there at all, whatever its value.
    bool HasKey(const std::string& section, const std::string& key) const;

    void StoreText(const std::string& section, const std::string& key, const std::string& value);
    void StoreInt(const std::string& section, const std::string& key, int32_t value);
    void StoreFlag(const std::string& section, const std::string& key, bool value);

    // The whole store as the file holds it: "[name]", its lines, an empty line; CR LF endings.
    std::string ToText() const;
    // Replaces the file with ToText(); throws EFCreateError and keeps the store on failure.
    void FlushToFile();

    const std::string& Path() const { return path_; }

  private:
    // "key=value" when IsPair; otherwise a line without "=", kept as Key and never matched.
    struct TLine {
        std::string Key;
        std::string Value;
        bool IsPair;
    };
    struct TSection {
        std::string Name;
        std::vector<TLine> Lines;
    };

    void Parse(std::string_view text);
    const std::string* FindValue(const std::string& section, const std::string& key) const;
    void Store(const std::string& section, const std::string& key, std::string value);
    std::string ToTextLocked() const;

    const std::string path_;
    std::vector<TSection> sections_;
    mutable TMutex mutex_;
    TMutex flushMutex_; // keeps concurrent flushes in order without blocking readers on I/O
};
