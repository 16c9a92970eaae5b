// Fuzz target: arbitrary bytes as a language file. A fault names a line of the file; what
// reads writes back, escaped, to a file that reads to the same texts; laid over the built-in
// English it gives faults only for its own lines; texts without braces format to themselves.
// Input: the file's bytes.
#include "fuzz_support.h"
#include "text/texts.h"

#include <algorithm>
#include <stdexcept>

namespace {

// The writer the reader is held against: every character that needs it escaped, blanks at
// either end as \s.
std::string Escape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == ' ' && (i == 0 || i + 1 == text.size()))
            out += "\\s";
        else
            out += c;
    }
    return out;
}

const char* const kRuleNames[] = {"one-for-1", "one-for-0-and-1", "none"};

size_t LineCount(const std::string& bytes) {
    return static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TTextFile file;
    try {
        file = ParseTextFile(bytes);
    } catch (const std::runtime_error& e) {
        const std::string what = e.what();
        FUZZ_CHECK(what.rfind("line ", 0) == 0);
        const size_t line = std::strtoul(what.c_str() + 5, nullptr, 10);
        FUZZ_CHECK(line >= 1 && line <= LineCount(bytes));
        return 0;
    }
    std::string written =
        std::string("plural = ") + kRuleNames[static_cast<int>(file.Plural)] + "\n";
    int previous = 0;
    for (const TTextEntry& entry : file.Entries) {
        FUZZ_CHECK(entry.Line > previous && static_cast<size_t>(entry.Line) <= LineCount(bytes));
        FUZZ_CHECK(entry.Key.find('.') != std::string::npos);
        previous = entry.Line;
        written += entry.Key + " = " + Escape(entry.Text) + "\n";
        if (entry.Text.find('{') == std::string::npos)
            FUZZ_CHECK(FormatText(entry.Text, {{"n", "1"}}) == entry.Text);
    }
    const TTextFile again = ParseTextFile(written);
    FUZZ_CHECK(again.Plural == file.Plural && again.Entries.size() == file.Entries.size());
    for (size_t i = 0; i < file.Entries.size(); ++i) {
        FUZZ_CHECK(again.Entries[i].Key == file.Entries[i].Key);
        FUZZ_CHECK(again.Entries[i].Text == file.Entries[i].Text);
    }
    TTextTable table = Texts();
    const std::vector<std::string> faults = table.Translate(file);
    FUZZ_CHECK(faults.size() <= file.Entries.size());
    for (size_t slot = 0; slot < table.Size(); ++slot)
        FUZZ_CHECK(table.Key(slot) == Texts().Key(slot) && !table.Text(slot).empty());
    return 0;
}
