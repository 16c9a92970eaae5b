// Every language file in res/lang against the built-in English: it reads, names only the
// program's texts, leaves none empty, keeps English's placeholders and gives no two texts shown
// at once one access key. en.txt is built in whole.
#include "text/texts.h"

#include "../support/test_files.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <set>

namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;

std::set<std::string> Placeholders(const std::string& text) {
    static const std::regex placeholder(R"(\{([^{}]*)\})");
    std::set<std::string> names;
    for (std::sregex_iterator at(text.begin(), text.end(), placeholder), end; at != end; ++at)
        names.insert((*at)[1]);
    return names;
}

// A language's "one" form may leave the count out ("one file"); its "other" form may not.
void ExpectEnglishPlaceholders(const TTextTable& english, const TTextEntry& entry) {
    for (size_t slot = 0; slot < english.Size(); ++slot) {
        if (english.Key(slot) != entry.Key)
            continue;
        const bool one = entry.Key.size() > 4 && entry.Key.substr(entry.Key.size() - 4) == ".one";
        const std::set<std::string> given = Placeholders(entry.Text),
                                    wanted = Placeholders(english.Text(one ? slot + 1 : slot));
        if (one)
            EXPECT_TRUE(std::includes(wanted.begin(), wanted.end(), given.begin(), given.end()))
                << "line " << entry.Line << ": " << entry.Key;
        else
            EXPECT_EQ(given, wanted) << "line " << entry.Line << ": " << entry.Key;
    }
}

// The language files: each is named by its language's code (de.txt, zh-CN.txt); beside them
// lie notes for translators such as the glossary.
std::vector<fs::path> LanguageFiles() {
    static const std::regex code("[a-z]{2,3}(-[A-Za-z]{2,4})?");
    std::vector<fs::path> files;
    for (const auto& file : fs::directory_iterator(CORVANE_LANG_DIR)) {
        if (file.path().extension() == ".txt" &&
            std::regex_match(file.path().stem().string(), code))
            files.push_back(file.path());
    }
    return files;
}

TEST(LanguageFiles, EachReadsAndKeepsEnglishPlaceholders) {
    const std::vector<fs::path> files = LanguageFiles();
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        TTextFile language;
        try {
            language = ParseTextFile(ReadBytes(file));
        } catch (const std::runtime_error& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        const TTextTable english(ParseTextFile(BuiltInEnglish()));
        EXPECT_EQ(TTextTable(english).Translate(language), std::vector<std::string>());
        for (const TTextEntry& entry : language.Entries)
            ExpectEnglishPlaceholders(english, entry);
    }
    EXPECT_FALSE(files.empty());
}

// The letter after a single "&", as Alt picks it: ASCII and Latin-1 letters in lower case
// ("Ü" as "ü"); empty for a text without one.
std::string AccessKey(const std::string& text) {
    for (size_t at = text.find('&'); at != std::string::npos && at + 1 < text.size();
         at = text.find('&', at + 2)) {
        if (text[at + 1] == '&')
            continue;
        const auto lead = static_cast<unsigned char>(text[at + 1]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::string key = text.substr(at + 1, length);
        const auto second = static_cast<unsigned char>(key.back());
        if (length == 1)
            key[0] = static_cast<char>(std::tolower(lead));
        else if (lead == 0xC3 && second <= 0x9E && second != 0x97) // U+00C0 to U+00DE but "×"
            key[1] = static_cast<char>(second + 0x20);
        return key;
    }
    return {};
}

// Texts shown at once, by the starts of their keys: one menu, each page of Settings with the
// dialog's buttons. Alt+letter must pick one of them.
const std::vector<std::vector<std::string>> kShownTogether = {
    {"menu."},
    {"settings.adapters.", "settings.cancel", "settings.ok"},
    {"settings.display.", "settings.cancel", "settings.ok"},
    {"settings.information.", "settings.quota.", "settings.cancel", "settings.ok"},
    {"settings.logs.", "settings.cancel", "settings.ok"},
    {"settings.general.", "settings.cancel", "settings.ok"},
};

TEST(LanguageFiles, AccessKeysDifferWhereShownTogether) {
    const TTextTable english(ParseTextFile(BuiltInEnglish()));
    for (const fs::path& file : LanguageFiles()) {
        TTextTable table(english);
        table.Translate(ParseTextFile(ReadBytes(file)));
        for (const std::vector<std::string>& starts : kShownTogether) {
            std::map<std::string, std::string> keyOf; // access key -> the text's key
            for (size_t slot = 0; slot < table.Size(); ++slot) {
                const std::string& key = table.Key(slot);
                const std::string access = AccessKey(table.Text(slot));
                const bool shown =
                    std::any_of(starts.begin(), starts.end(), [&key](const std::string& s) {
                        return key.compare(0, s.size(), s) == 0;
                    });
                if (shown && !access.empty()) {
                    EXPECT_TRUE(keyOf.emplace(access, key).second)
                        << file.filename() << ": " << key << " and " << keyOf[access] << " share &"
                        << access;
                }
            }
        }
    }
}

TEST(LanguageFiles, EnglishBuiltInWhole) {
    const TTextFile source = ParseTextFile(ReadBytes(fs::path(CORVANE_LANG_DIR) / "en.txt"));
    ASSERT_EQ(source.Entries.size(), Texts().Size());
    for (size_t slot = 0; slot < source.Entries.size(); ++slot) {
        EXPECT_EQ(Texts().Key(slot), source.Entries[slot].Key);
        EXPECT_EQ(Texts().Text(slot), source.Entries[slot].Text);
    }
}

} // namespace
