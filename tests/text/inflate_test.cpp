// The inflater: the packs the build makes unpack to exactly the generator's bytes; small streams
// of each block type; damaged and cut-short data refused (ASan watches the bounds).
#include "text/inflate.h"
#include "text/text_pack.h"

#include <gtest/gtest.h>

extern const TTextPack kTestTexts;

namespace {

using namespace std::string_view_literals;

std::string_view Deflated(const TTextPack& pack) {
    return {reinterpret_cast<const char*>(pack.Deflated), pack.DeflatedSize};
}

TEST(Inflate, PacksUnpackToTheGeneratorsBytes) {
    for (const TTextPack* pack : {&kBuiltInTexts, &kTestTexts}) {
        if (!pack->Plain)
            continue; // the Windows build keeps no plain copy
        EXPECT_EQ(Inflate(Deflated(*pack), pack->UnpackedSize),
                  std::string_view(reinterpret_cast<const char*>(pack->Plain), pack->UnpackedSize));
    }
    ASSERT_NE(kTestTexts.Plain, nullptr);
}

TEST(Inflate, BlockTypesAndFaults) {
    const struct {
        std::string_view Data;
        size_t Size;
        const char* Unpacked; // nullptr: refused
    } cases[] = {
        {"\x01\x03\x00\xfc\xff" "abc"sv, 3, "abc"},                      // stored
        {"\xcb\x48\xcd\xc9\xc9\x57\xc8\x40\x90\x00"sv, 17, "hello hello hello"}, // fixed, a copy
        {"\x4b\x4c\xc4\x0e\x00"sv, 24, "aaaaaaaaaaaaaaaaaaaaaaaa"}, // a copy over itself
        {"\x4b\x4c\xc4\x0e\x00"sv, 23, nullptr},                    // more than expected
        {"\x4b\x4c\xc4\x0e\x00"sv, 25, nullptr},                    // fewer
        {"\x01\x03\x00\xfc\xfe" "abc"sv, 3, nullptr},               // a wrong complement
        {"\x01\x03\x00\xfc\xff" "ab"sv, 3, nullptr},                // a stored block cut short
        {"\x07"sv, 0, nullptr},                                      // block type 3
        {"\x03\x00"sv, 0, ""},                                       // an empty fixed block
        {"\x03\x02\x00"sv, 3, nullptr},                              // a copy before any byte
        {""sv, 0, nullptr},                                           // nothing
        {"\x05\x00\x00\x00\x00\x00"sv, 0, nullptr},                  // a code of no lengths
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.Data)));
        if (c.Unpacked) {
            EXPECT_EQ(Inflate(c.Data, c.Size), c.Unpacked);
        } else {
            EXPECT_THROW(Inflate(c.Data, c.Size), std::runtime_error);
        }
    }
}

// A cut anywhere is refused; a changed byte is refused or gives the size asked for, never more.
TEST(Inflate, CutOrChangedPackedTexts) {
    const std::string_view whole = Deflated(kTestTexts);
    for (size_t cut = 0; cut < whole.size(); ++cut)
        EXPECT_THROW(Inflate(whole.substr(0, cut), kTestTexts.UnpackedSize), std::runtime_error)
            << cut;
    std::string changed(whole);
    for (size_t at = 0; at < changed.size(); ++at) {
        changed[at] = static_cast<char>(changed[at] ^ 0x5A);
        try {
            EXPECT_EQ(Inflate(changed, kTestTexts.UnpackedSize).size(), kTestTexts.UnpackedSize);
        } catch (const std::runtime_error&) {
        }
        changed[at] = whole[at];
    }
}

} // namespace
