// The language files' reader, the table's fallback to English and its forms for a count, the
// placeholders, and the built-in English.
#include "text/texts.h"

#include <gtest/gtest.h>

namespace {

TEST(TextFile, ReadsKeysTextsAndEscapes) {
    const TTextFile file = ParseTextFile("\xEF\xBB\xBF# a comment = not a text\r\n"
                                         "\r\n"
                                         "  plural =\tnone \r\n"
                                         "menu.save_2 =  Save\\tCtrl+S  \r\n"
                                         "\t# an indented comment\n"
                                         "a.b=\\skept\\s\r \n" // a CR, then a blank
                                         "a.c = two\\nlines \\\\ {n} = {m} # not a comment\n"
                                         "a.empty =\n"
                                         "a.utf8 = Gr\xC3\xBC\xC3\x9F"
                                         "e \xE4\xB8\xAD\xF0\x9F\x93\x88"); // no line end
    EXPECT_EQ(file.Plural, TPluralRule::None);
    const TTextEntry expected[] = {{"menu.save_2", "Save\tCtrl+S", 4},
                                   {"a.b", " kept ", 6},
                                   {"a.c", "two\nlines \\ {n} = {m} # not a comment", 7},
                                   {"a.empty", "", 8},
                                   {"a.utf8",
                                    "Gr\xC3\xBC\xC3\x9F"
                                    "e \xE4\xB8\xAD\xF0\x9F\x93\x88",
                                    9}};
    ASSERT_EQ(file.Entries.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(file.Entries[i].Key, expected[i].Key);
        EXPECT_EQ(file.Entries[i].Text, expected[i].Text);
        EXPECT_EQ(file.Entries[i].Line, expected[i].Line);
    }
    EXPECT_EQ(ParseTextFile("").Plural, TPluralRule::OneFor1);
}

TEST(TextFile, EachFaultNamesItsLine) {
    const struct {
        const char* File;
        const char* Error;
    } cases[] = {
        {"a.b = x\r\nno equals sign\r\n", "line 2: no \"=\" between key and text"},
        {"Menu.b = x", "line 1: \"Menu.b\" is no key: lower-case words joined by dots"},
        {"a..b = x", "line 1: \"a..b\" is no key: lower-case words joined by dots"},
        {"a.b. = x", "line 1: \"a.b.\" is no key: lower-case words joined by dots"},
        {" = x", "line 1: \"\" is no key: lower-case words joined by dots"},
        {"a b.c = x", "line 1: \"a b.c\" is no key: lower-case words joined by dots"},
        {"a.b = x\\q", "line 1: unknown escape \"\\q\": \\n, \\t, \\s and \\\\ are known"},
        {"a.b = x\\", "line 1: a \"\\\" ends the text: write \\\\ for a backslash"},
        {"# caf\xE9\n\na.b = caf\xE9", "line 3: not UTF-8: save the file as UTF-8"},
        {"a.b = \xC0\xAF", "line 1: not UTF-8: save the file as UTF-8"},         // overlong
        {"a.b = \xED\xA0\x80", "line 1: not UTF-8: save the file as UTF-8"},     // surrogate
        {"a.b = \xF4\x90\x80\x80", "line 1: not UTF-8: save the file as UTF-8"}, // past U+10FFFF
        {"a.b = \xE4\xB8", "line 1: not UTF-8: save the file as UTF-8"},         // cut short
        {"plural = two", "line 1: the plural rule \"two\" is none of one-for-1, one-for-0-and-1 "
                         "and none"},
        {"language = de", "line 1: \"language\" is no setting: a text's key has a dot"},
    };
    for (const auto& c : cases) {
        try {
            ParseTextFile(c.File);
            ADD_FAILURE() << "read without a fault: " << c.File;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), c.Error);
        }
    }
}

TEST(TextTable, LanguageOverEnglishWithFallbackAndFaults) {
    TTextTable table(ParseTextFile("a.hello = Hello\n"
                                   "a.bye = Bye\n"
                                   "b.files.one = one file\n"
                                   "b.files.other = {n} files\n"));
    EXPECT_EQ(table.Text(2, 1), "one file");
    EXPECT_EQ(table.Text(2, 0), "{n} files");
    const std::vector<std::string> faults =
        table.Translate(ParseTextFile("plural = one-for-0-and-1\n"
                                      "a.hello = Bonjour\n"
                                      "a.gone = old text\n"
                                      "a.hello = Salut\n"
                                      "b.files.other = {n} fichiers\n"
                                      "a.bye =\n"));
    EXPECT_EQ(faults, (std::vector<std::string>{"line 3: \"a.gone\" is no text of the program",
                                                "line 4: \"a.hello\" is given twice",
                                                "line 6: \"a.bye\" has an empty text"}));
    EXPECT_EQ(table.Text(0), "Bonjour");
    EXPECT_EQ(table.Text(1), "Bye");
    EXPECT_EQ(table.Text(2, 0), "one file"); // French takes "one" for 0; the form it lacks
    EXPECT_EQ(table.Text(2, 2), "{n} fichiers");
    EXPECT_EQ(table.Key(3), "b.files.other");
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
