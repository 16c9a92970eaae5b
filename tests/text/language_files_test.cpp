// Every language file in res/lang against the built-in English: it reads, names only the
// program's texts, leaves none empty and keeps English's placeholders. en.txt is built in whole.
#include "text/texts.h"

#include "../support/test_files.h"

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

TEST(LanguageFiles, EachReadsAndKeepsEnglishPlaceholders) {
    size_t files = 0;
    for (const auto& file : fs::directory_iterator(CORVANE_LANG_DIR)) {
        if (file.path().extension() != ".txt")
            continue;
        ++files;
        SCOPED_TRACE(file.path().filename().string());
        TTextFile language;
        try {
            language = ParseTextFile(ReadBytes(file.path()));
        } catch (const std::runtime_error& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        const TTextTable english(ParseTextFile(BuiltInEnglish()));
        EXPECT_EQ(TTextTable(english).Translate(language), std::vector<std::string>());
        for (const TTextEntry& entry : language.Entries)
            ExpectEnglishPlaceholders(english, entry);
    }
    EXPECT_GT(files, 0u);
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
