// The languages over English, their choice and forms for a count, the pseudo-language, the
// placeholders, and the built-in English.
#include "text/texts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

extern const TTextPack kTestTexts;

namespace {

// The tests' own languages over the program's English: German lacks most texts, French takes
// the "one" form for 0, and the pseudo-language is made from English.
TEST(Languages, OverEnglishWithFallback) {
    const TLanguages languages(kTestTexts, kTextCount);
    ASSERT_EQ(languages.Count(), 4u);
    EXPECT_STREQ(languages.Language(3).Code, "zh-CN");
    EXPECT_STREQ(languages.Language(2).Name, "Fran\xC3\xA7" "ais");
    const TTextTable& german = languages.Table(1);
    ASSERT_EQ(german.Size(), kTextCount);
    EXPECT_EQ(german.Text(size_t(TTextId::MenuSettings)), "Einstellungen\tF4");
    EXPECT_EQ(german.Text(size_t(TTextId::QuotaHint)), "{used} MB von {quota} MB verbraucht");
    EXPECT_EQ(german.Text(size_t(TTextId::MenuHistory)), "&History\tF5");
    EXPECT_EQ(languages.Table(2).Text(size_t(TTextId::MenuClose)), "&Fermer\tCtrl+X");
    EXPECT_EQ(languages.Table(3).Text(size_t(TTextId::MenuAbout)),
              "\xE5\x85\xB3\xE4\xBA\x8E(&A)\tF12");
    for (size_t slot = 0; slot < kTextCount; ++slot) {
        EXPECT_EQ(languages.Table(0).Text(slot), Texts().Text(slot)) << slot;
        EXPECT_EQ(languages.Table(4).Text(slot), PseudoText(Texts().Text(slot))) << slot;
    }
}

TEST(Languages, ChoiceBySettingOrWindowsLanguage) {
    const TLanguages languages(kTestTexts, kTextCount);
    const struct {
        const char* Setting;
        const char* Windows;
        size_t Chosen;
    } cases[] = {
        {"", "de-DE", 1},      {"", "de-AT", 1},     {"", "DE", 1},       {"", "fr-CA", 2},
        {"", "zh-CN", 3},      {"", "zh-SG", 3},     {"", "zh-Hans-CN", 3}, {"", "zh-TW", 0},
        {"", "zh-Hant-HK", 0}, {"", "en-GB", 0},     {"", "ja-JP", 0},    {"", "", 0},
        {"fr", "de-DE", 2},    {"en", "de-DE", 0},   {"xx", "de-DE", 0},  {"qps", "de-DE", 4},
        {"QPS", "", 4},        {"zh-cn", "en-US", 3}, {"de-CH", "", 1},   {"-", "de-DE", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(languages.Choose(c.Setting, c.Windows), c.Chosen) << c.Setting << " " << c.Windows;
}

TEST(Languages, PseudoTextLongerKeepingWhatCodeReads) {
    const struct {
        const char* English;
        const char* Pseudo;
    } cases[] = {
        {"Settings\tF4", "S\xC3\xABtt\xC3\xAF\xC3\xB1gs \xC2\xB7\xC2\xB7\xC2\xB7\tF4"},
        {"&Close {name}\nx", "&Cl\xC3\xB6s\xC3\xAB {name}\nx \xC2\xB7\xC2\xB7\xC2\xB7\xC2\xB7."},
        {"&&a", "&&\xC3\xA1 \xC2\xB7"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PseudoText(c.English), c.Pseudo) << c.English;
}

TEST(Languages, DamagedPackRefused) {
    const unsigned char notTexts[] = {0x03, 0x00}; // an empty block: no plural rule
    const TTextPack empty{notTexts, sizeof notTexts, 0, nullptr, kTestTexts.Languages, 1};
    EXPECT_THROW(TLanguages(empty, kTextCount), std::runtime_error);
    TTextPack more = kTestTexts; // one language more than the bytes hold
    ++more.LanguageCount;
    EXPECT_THROW(TLanguages(more, kTextCount), std::runtime_error);
    TTextPack fewer = kTestTexts;
    --fewer.LanguageCount;
    EXPECT_THROW(TLanguages(fewer, kTextCount), std::runtime_error);
}

// Worker threads read texts while the Settings dialog changes the language: each read sees
// one whole table.
TEST(Languages, ReadWhileChosen) {
    ChooseLanguage("en", "");
    const std::string english = Text(TTextId::MenuSettings),
                      pseudo = PseudoText(english);
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done.load()) {
            const std::string& read = Text(TTextId::MenuSettings); // once: the choice may change
            ASSERT_TRUE(read == english || read == pseudo) << read;
        }
    });
    for (int i = 0; i < 200; ++i)
        ChooseLanguage(i % 2 ? "" : "qps", "en-US");
    done = true;
    reader.join();
    EXPECT_EQ(Text(TTextId::MenuSettings), english);
}

TEST(TextTable, PluralRules) {
    const struct {
        TPluralRule Rule;
        int64_t Count;
        bool One;
    } cases[] = {
        {TPluralRule::OneFor1, 1, true},      {TPluralRule::OneFor1, 0, false},
        {TPluralRule::OneFor1, 2, false},     {TPluralRule::OneFor1, 21, false},
        {TPluralRule::OneFor0And1, 0, true},  {TPluralRule::OneFor0And1, 1, true},
        {TPluralRule::OneFor0And1, 2, false}, {TPluralRule::None, 1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TakesOneForm(c.Rule, c.Count), c.One)
            << static_cast<int>(c.Rule) << " " << c.Count;
}

TEST(TextFormat, PlaceholdersByName) {
    const struct {
        const char* Text;
        const char* Shown;
    } cases[] = {
        {"{used}MB of {quota}MB used", "12.5MB of 100MB used"},
        {"{quota} MB: {used} used, {used} in all", "100 MB: 12.5 used, 12.5 in all"},
        {"{unknown}, {}, {Used}", "{unknown}, {}, {Used}"},
        {"{used", "{used"},
        {"used} {", "used} {"},
        {"{{used}}", "{12.5}"},
        {"{a{used}", "{a12.5"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatText(c.Text, {{"used", "12.5"}, {"quota", "100"}}), c.Shown) << c.Text;
    std::string out = "kept, ";
    AppendText(out, "{used} of {quota}", {{"used", "{quota}"}, {"quota", "100"}});
    EXPECT_EQ(out, "kept, {quota} of 100"); // a value is never searched for names
}

// English stays as it was, also where no other test reads the text.
TEST(Texts, EnglishBuiltIn) {
    EXPECT_EQ(Texts().Size(), kTextCount);
    const std::pair<TTextId, const char*> texts[] = {
        {TTextId::MenuSettings, "Settings\tF4"},
        {TTextId::MenuHistory, "&History\tF5"},
        {TTextId::MenuAbout, "&About\tF12"},
        {TTextId::MenuCheckUpdates, "Check for Updates"},
        {TTextId::MenuMinimize, "Minimize\tCtrl+M"},
        {TTextId::MenuClose, "&Close\tCtrl+X"},
        {TTextId::TrayHintNotConnected, "Adapter not connected"},
        {TTextId::TrayHintNotConnectedNamed, "Adapter not connected: {adapter}"},
        {TTextId::ErrorText, "{kind}: {message}"},
        {TTextId::ErrorUnknown, "Unknown error"},
    };
    for (const auto& [id, english] : texts)
        EXPECT_EQ(Text(id), english);
}

} // namespace
