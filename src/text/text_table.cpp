// Unpacking the languages, laying each over English, and choosing one.
#include "text/text_table.h"
#include "text/inflate.h"

#include <stdexcept>

namespace {

constexpr std::string_view kPseudoCode = "qps";
constexpr char kDamaged[] = "damaged built-in texts";

bool SameCode(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// A language's texts from `at` on; an empty text takes English's.
TTextTable ReadLanguage(std::string_view& rest, size_t slots, const TTextTable* english) {
    if (rest.empty() || static_cast<unsigned char>(rest[0]) > 2)
        throw std::runtime_error(kDamaged); // no plural rule
    const auto plural = static_cast<TPluralRule>(rest[0]);
    rest.remove_prefix(1);
    std::vector<std::string> texts(slots);
    for (size_t slot = 0; slot < slots; ++slot) {
        const size_t end = rest.find('\0');
        if (end == std::string_view::npos)
            throw std::runtime_error(kDamaged); // a text without its end
        texts[slot] = end || !english ? std::string(rest.substr(0, end)) : english->Text(slot);
        rest.remove_prefix(end + 1);
    }
    return TTextTable(std::move(texts), plural);
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

TLanguages::TLanguages(const TTextPack& pack, size_t slots) : pack_(pack) {
    const std::string unpacked = Inflate(
        std::string_view(reinterpret_cast<const char*>(pack.Deflated), pack.DeflatedSize),
        pack.UnpackedSize);
    std::string_view rest = unpacked;
    tables_.reserve(pack.LanguageCount + 1);
    for (size_t i = 0; i < pack.LanguageCount; ++i)
        tables_.push_back(ReadLanguage(rest, slots, i ? &tables_[0] : nullptr));
    if (!rest.empty())
        throw std::runtime_error(kDamaged); // bytes past the last language
    std::vector<std::string> pseudo(slots);
    for (size_t slot = 0; slot < slots; ++slot)
        pseudo[slot] = PseudoText(tables_[0].Text(slot));
    tables_.emplace_back(std::move(pseudo), TPluralRule::OneFor1);
}

size_t TLanguages::Find(std::string_view code) const {
    for (size_t i = 0; i < Count(); ++i) {
        if (SameCode(code, pack_.Languages[i].Code))
            return i;
    }
    return Count() + 1;
}

size_t TLanguages::Choose(std::string_view setting, std::string_view localeName) const {
    if (SameCode(setting, kPseudoCode))
        return Count();
    std::string_view code = setting.empty() ? localeName : setting;
    // Simplified Chinese: its script, or China and Singapore.
    if (SameCode(code.substr(0, 7), "zh-Hans") || SameCode(code, "zh-SG"))
        code = "zh-CN";
    size_t found = Find(code);
    if (found > Count())
        found = Find(code.substr(0, code.find('-')));
    return found < Count() ? found : 0;
}
