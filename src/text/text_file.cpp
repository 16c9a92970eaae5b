// Reading a language file line by line; the first fault stops it, naming its line.
#include "text/text_file.h"
#include "text/text_format.h"

#include <algorithm>
#include <iterator>

namespace {

// Spaces and tabs; a CR is what is left of a CR LF line end.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The parts before and after position `at`, which `s` holds.
std::string_view Before(std::string_view s, size_t at) {
    return std::string_view(s.data(), at);
}
std::string_view After(std::string_view s, size_t at) {
    return std::string_view(s.data() + at + 1, s.size() - at - 1);
}

// `fault` may name the faulty part as {part}.
[[noreturn]] void Fail(int line, const char* fault, std::string_view part = {}) {
    std::string text = "line " + std::to_string(line) + ": ";
    AppendText(text, fault, {{"part", part}});
    throw std::runtime_error(text);
}

// Lower-case words of letters, digits and "_", joined by single dots.
bool IsKey(std::string_view key) {
    if (key.empty() || key.front() == '.' || key.back() == '.')
        return false;
    for (size_t i = 0; i < key.size(); ++i) {
        const char c = key[i];
        const bool word = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!word && (c != '.' || key[i - 1] == '.'))
            return false;
    }
    return true;
}

// The bytes of a UTF-8 sequence that starts with `lead`; 0 for a byte no sequence starts with.
size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead < 0xC2)
        return 0; // a continuation, or an overlong form of a character below U+0080
    return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
}

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        const size_t length = SequenceLength(lead);
        if (length == 0 || s.size() - i < length)
            return false;
        const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

// The character an escape stands for: "\n" and the others; 0 for none.
char Escaped(char letter) {
    switch (letter) {
    case 'n':
        return '\n';
    case 't':
        return '\t';
    case 's':
        return ' ';
    case '\\':
        return '\\';
    }
    return 0;
}

// The text with its escapes resolved, in place: each takes two characters and gives one.
std::string Unescape(std::string_view escaped, int line) {
    std::string text(escaped);
    size_t to = 0;
    for (size_t from = 0; from < text.size(); ++from, ++to) {
        char c = text[from];
        if (c == '\\') {
            if (++from == text.size())
                Fail(line, "a \"\\\" ends the text: write \\\\ for a backslash");
            c = Escaped(text[from]);
            if (c == 0)
                Fail(line, "unknown escape \"\\{part}\": \\n, \\t, \\s and \\\\ are known",
                     std::string_view(escaped.data() + from, 1));
        }
        text[to] = c;
    }
    text.resize(to);
    return text;
}

// In the order of TPluralRule.
constexpr std::string_view kPluralRules[] = {"one-for-1", "one-for-0-and-1", "none"};

TPluralRule ReadPluralRule(std::string_view rule, int line) {
    for (size_t i = 0; i < std::size(kPluralRules); ++i) {
        if (rule == kPluralRules[i])
            return static_cast<TPluralRule>(i);
    }
    Fail(line, "the plural rule \"{part}\" is none of one-for-1, one-for-0-and-1 and none", rule);
}

// A key with a dot names a text; one without is a setting of the file.
void ReadLine(std::string_view line, int number, TTextFile& file) {
    line = Trim(line);
    if (line.empty() || line.front() == '#')
        return;
    if (!IsUtf8(line))
        Fail(number, "not UTF-8: save the file as UTF-8");
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        Fail(number, "no \"=\" between key and text");
    const std::string_view key = Trim(Before(line, equals)), value = Trim(After(line, equals));
    if (!IsKey(key))
        Fail(number, "\"{part}\" is no key: lower-case words joined by dots", key);
    if (key.find('.') != std::string_view::npos)
        file.Entries.push_back({std::string(key), Unescape(value, number), number});
    else if (key == "plural")
        file.Plural = ReadPluralRule(value, number);
    else
        Fail(number, "\"{part}\" is no setting: a text's key has a dot", key);
}

} // namespace

bool TakesOneForm(TPluralRule rule, int64_t count) {
    switch (rule) {
    case TPluralRule::OneFor1:
        return count == 1;
    case TPluralRule::OneFor0And1:
        return count == 0 || count == 1;
    case TPluralRule::None:
        break;
    }
    return false;
}

TTextFile ParseTextFile(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.size() >= kBom.size() && Before(bytes, kBom.size()) == kBom)
        bytes.remove_prefix(kBom.size());
    TTextFile file;
    for (int number = 1; !bytes.empty(); ++number) {
        const size_t end = std::min(bytes.find('\n'), bytes.size());
        const std::string_view line = Before(bytes, end);
        bytes = end < bytes.size() ? After(bytes, end) : std::string_view();
        ReadLine(line, number, file);
    }
    return file;
}
