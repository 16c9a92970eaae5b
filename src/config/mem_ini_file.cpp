// The configuration store: parsing the INI text, lookups, writes and the text written back.
#include "config/mem_ini_file.h"

#include "config/utf8_text.h"
#include "platform/file_io.h"

#include <utility>

namespace {

// Blanks and control characters; bytes from 0x80 up are parts of UTF-8 characters.
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view s) {
    size_t begin = 0;
    while (begin < s.size() && IsBlank(s[begin]))
        ++begin;
    size_t end = s.size();
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Section and key names match without regard to ASCII letter case.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

// A line break inside a value would split it into lines of its own (even a section header)
// when the file is read again, so breaks are stored as spaces.
std::string WithoutLineBreaks(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return value;
}

// Far beyond any real configuration; reading a larger file whole could exhaust memory.
constexpr size_t kMaxIniSize = 16 << 20;

// Every section that ToText writes ends with an empty line, so a file cut short does not.
bool EndsWithSection(std::string_view text) {
    constexpr std::string_view kSectionEnd = "\r\n\r\n";
    return text.size() >= kSectionEnd.size() &&
           text.substr(text.size() - kSectionEnd.size()) == kSectionEnd;
}

// A byte order mark (Notepad's "UTF-8 with BOM") would otherwise hide the first section.
std::string_view WithoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    return text.substr(0, kMark.size()) == kMark ? text.substr(kMark.size()) : text;
}

} // namespace

TMemIniFile::TMemIniFile(std::string path, TLegacyTextDecoder legacy) : path_(std::move(path)) {
    std::string text, pending;
    ReadFileIfExists(path_, text, kMaxIniSize);
    const bool recovered =
        ReadInterruptedReplacement(path_, text.size(), EndsWithSection, pending, kMaxIniSize);
    std::string& read = recovered ? pending : text;
    if (legacy && !IsUtf8(read))
        read = legacy(read);
    Parse(WithoutByteOrderMark(read));
    if (recovered)
        FlushToFile();
}

TMemIniFile::TMemIniFile(std::string path, std::string_view text) : path_(std::move(path)) {
    Parse(text);
}

void TMemIniFile::Parse(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size() && text[pos] == '\r')
            ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;

        if (line.empty() || line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections_.push_back({std::string(Trim(line.substr(1, line.size() - 2))), {}});
            continue;
        }
        if (sections_.empty())
            continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            sections_.back().Lines.push_back({std::string(line), std::string(), false});
        } else {
            sections_.back().Lines.push_back({std::string(Trim(line.substr(0, eq))),
                                              std::string(Trim(line.substr(eq + 1))), true});
        }
    }
}

// Only the last section of a name, and the last line of a key within it, are ever reached.
const std::string* TMemIniFile::FindValue(const std::string& section,
                                          const std::string& key) const {
    for (auto s = sections_.rbegin(); s != sections_.rend(); ++s) {
        if (!SameName(s->Name, section))
            continue;
        for (auto l = s->Lines.rbegin(); l != s->Lines.rend(); ++l) {
            if (l->IsPair && SameName(l->Key, key))
                return &l->Value;
        }
        return nullptr;
    }
    return nullptr;
}

void TMemIniFile::Store(const std::string& section, const std::string& key, std::string value) {
    TSection* target = nullptr;
    for (auto s = sections_.rbegin(); s != sections_.rend() && !target; ++s) {
        if (SameName(s->Name, section))
            target = &*s;
    }
    if (!target) {
        sections_.push_back({section, {}});
        target = &sections_.back();
    }
    for (auto l = target->Lines.rbegin(); l != target->Lines.rend(); ++l) {
        if (l->IsPair && SameName(l->Key, key)) {
            l->Key = key; // the writer's spelling replaces the file's
            l->Value = std::move(value);
            return;
        }
    }
    target->Lines.push_back({key, std::move(value), true});
}

std::string TMemIniFile::QueryText(const std::string& section, const std::string& key,
                                   const std::string& def) const {
    std::lock_guard<TMutex> lock(mutex_);
    const std::string* value = FindValue(section, key);
    return value ? *value : def;
}

void TMemIniFile::QueryText(const std::string& section, const std::string& key,
                            std::string_view def, std::string& value) const {
    std::lock_guard<TMutex> lock(mutex_);
    const std::string* found = FindValue(section, key);
    value.assign(found ? std::string_view(*found) : def);
}

int32_t TMemIniFile::QueryInt(const std::string& section, const std::string& key,
                              int32_t def) const {
    std::lock_guard<TMutex> lock(mutex_);
    const std::string* text = FindValue(section, key);
    int32_t value = 0;
    return (text && TryParseIniInt(*text, value)) ? value : def;
}

bool TMemIniFile::QueryFlag(const std::string& section, const std::string& key, bool def) const {
    return QueryInt(section, key, def ? 1 : 0) != 0;
}

bool TMemIniFile::HasKey(const std::string& section, const std::string& key) const {
    std::lock_guard<TMutex> lock(mutex_);
    return FindValue(section, key) != nullptr;
}

void TMemIniFile::StoreText(const std::string& section, const std::string& key,
                            const std::string& value) {
    std::string stored = WithoutLineBreaks(value);
    std::lock_guard<TMutex> lock(mutex_);
    Store(section, key, std::move(stored));
}

void TMemIniFile::StoreInt(const std::string& section, const std::string& key, int32_t value) {
    std::lock_guard<TMutex> lock(mutex_);
    Store(section, key, std::to_string(value));
}

void TMemIniFile::StoreFlag(const std::string& section, const std::string& key, bool value) {
    std::lock_guard<TMutex> lock(mutex_);
    Store(section, key, value ? "1" : "0");
}

std::string TMemIniFile::ToText() const {
    std::lock_guard<TMutex> lock(mutex_);
    return ToTextLocked();
}

std::string TMemIniFile::ToTextLocked() const {
    static const char kLineEnd[] = "\r\n";
    size_t size = 0;
    for (const TSection& s : sections_) {
        size += s.Name.size() + 6;
        for (const TLine& l : s.Lines)
            size += l.Key.size() + l.Value.size() + 3;
    }
    std::string out;
    out.reserve(size);
    for (const TSection& s : sections_) {
        out.append("[").append(s.Name).append("]").append(kLineEnd);
        for (const TLine& l : s.Lines) {
            out.append(l.Key);
            if (l.IsPair)
                out.append("=").append(l.Value);
            out.append(kLineEnd);
        }
        out.append(kLineEnd);
    }
    return out;
}

void TMemIniFile::FlushToFile() {
    // Flushes stay in order; readers wait only for the snapshot, not for the disk.
    std::lock_guard<TMutex> flushLock(flushMutex_);
    std::string text = ToText();
    try {
        ReplaceFileContents(path_, text);
    } catch (const TFileError& e) {
        throw EFCreateError(path_, SystemErrorMessage(e.Code()));
    }
}
