// Fuzz target: the configuration store. Arbitrary bytes are read as config.ini, a script of
// typed writes and reads runs on the store, the store is flushed to a real file and read back.
// Checked: the text written is the text flushed; a store read back from its own text writes
// the same text again; every value written reads back as written (text values as the file
// keeps them: without surrounding blanks and control characters, line breaks as spaces).
// Input: script length (uint16), the script, then the file's bytes.
#include "fuzz_support.h"
#include "config/mem_ini_file.h"

#include <map>
#include <vector>

namespace {

const char* const kSections[] = {"network", "display", "bandwidth", "build", "Display", "s", ""};
const char* const kKeys[] = {"activeadapter", "opacity",    "dropshadow", "bgcolour",
                             "bordercolour",  "fontcolour", "fontname",   "fontsize",
                             "fontbold",      "fontitalic", "format",     "decimalplaces",
                             "showquota",     "monthquota", "width",      "height",
                             "stayontop",     "gototray",   "top",        "left",
                             "dolog",         "dologins",   "dologouts",  "version",
                             "path",          "FontName",   "k",          ""};

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trim(const std::string& s) {
    size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

std::string LowerAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

// A name from the tables, or (top bit set) bytes taken from the script.
std::string TakeName(TFuzzInput& script, const char* const* table, size_t count) {
    const auto pick = script.Take<uint8_t>();
    if (pick & 0x80)
        return script.TakeBytes(pick & 0x0F);
    return table[pick % count];
}

// What the file keeps of a text value: line breaks become spaces, the reader trims.
std::string AsReadBack(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return Trim(value);
}

// Names that a line of the file can carry. Others (a key holding "=", a key that starts a
// comment, a line break in a name) cannot come back from a file; the program never writes them.
bool SectionFitsTheFile(const std::string& name) {
    return !HasLineBreak(name) && Trim(name) == name;
}
bool KeyFitsTheFile(const std::string& key, const std::string& value) {
    if (HasLineBreak(key) || key.find('=') != std::string::npos || Trim(key) != key)
        return false;
    if (!key.empty() && key.front() == ';')
        return false;
    // "[x" with the value "y]" would come back as the section header "[x=y]".
    const std::string kept = AsReadBack(value);
    return !(!key.empty() && key.front() == '[' && !kept.empty() && kept.back() == ']');
}

struct TWritten {
    std::string Section, Key, Text;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        RemoveScratchAtExit({"config.ini"});
        return ScratchFolder() + "config.ini";
    }();
    TFuzzInput in(data, size);
    const auto scriptLength = in.Take<uint16_t>();
    const std::string scriptBytes = in.TakeBytes(scriptLength);
    const std::string fileText = in.Rest();

    TMemIniFile ini(path, fileText);
    // The store's text is stable: reading it back gives the same text.
    const std::string first = ini.ToText();
    FUZZ_CHECK(TMemIniFile(path, first).ToText() == first);

    TFuzzInput script(reinterpret_cast<const uint8_t*>(scriptBytes.data()), scriptBytes.size());
    std::map<std::pair<std::string, std::string>, TWritten> written; // by lower-case names
    bool allFit = true;
    while (script.Left() > 0) {
        const auto op = script.Take<uint8_t>();
        const std::string section = TakeName(script, kSections, std::size(kSections));
        const std::string key = TakeName(script, kKeys, std::size(kKeys));
        std::string stored;
        switch (op % 6) {
        case 0: {
            const std::string value = script.TakeBytes(script.Take<uint8_t>());
            ini.StoreText(section, key, value);
            stored = value;
            for (char& c : stored) {
                if (c == '\r' || c == '\n')
                    c = ' ';
            }
            FUZZ_CHECK(ini.QueryText(section, key, "?") == stored);
            break;
        }
        case 1: {
            const auto value = script.Take<int32_t>();
            ini.StoreInt(section, key, value);
            stored = std::to_string(value);
            FUZZ_CHECK(ini.QueryInt(section, key, value ^ 1) == value);
            break;
        }
        case 2: {
            const bool value = script.Take<uint8_t>() & 1;
            ini.StoreFlag(section, key, value);
            stored = value ? "1" : "0";
            FUZZ_CHECK(ini.QueryFlag(section, key, !value) == value);
            break;
        }
        case 3:
            (void)ini.QueryText(section, key, "");
            continue;
        case 4: {
            // An integer that reads at all reads the same from its own written form.
            const int32_t value = ini.QueryInt(section, key, 0);
            int32_t again = 0;
            FUZZ_CHECK(TryParseIniInt(std::to_string(value), again) && again == value);
            continue;
        }
        default:
            (void)ini.QueryFlag(section, key, (op & 0x80) != 0);
            continue;
        }
        allFit = allFit && SectionFitsTheFile(section) && KeyFitsTheFile(key, stored);
        written[{LowerAscii(section), LowerAscii(key)}] = {section, key, stored};
    }

    const std::string text = ini.ToText();
    ini.FlushToFile();
    FUZZ_CHECK(ReadWholeFile(path) == text);
    if (!allFit)
        return 0;
    TMemIniFile again(path);
    // Text that the store wrote reads back into the same store.
    const std::string textAgain = again.ToText();
    FUZZ_CHECK(textAgain == TMemIniFile(path, textAgain).ToText());
    for (const auto& [names, value] : written) {
        (void)names;
        FUZZ_CHECK(again.QueryText(value.Section, value.Key, std::string(1, '\x7f') + "?") ==
                   AsReadBack(value.Text));
        int32_t number = 0;
        if (TryParseIniInt(value.Text, number))
            FUZZ_CHECK(again.QueryInt(value.Section, value.Key, number ^ 1) == number);
    }
    return 0;
}
