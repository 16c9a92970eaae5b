// The setup signature check with CNG, against signatures that openssl made at build time.
#include "update/setup_signature.h"

#include "test_release_key.h"
#include "test_setup_signature.h"
#include "update/update_files.h"
#include "update_test_support.h"

#include <gtest/gtest.h>

namespace {

class SetupSignatureTest : public ::testing::Test {
  protected:
    // A copy of the stand-in setup program that the build signed, optionally altered.
    std::wstring CopyOfSetup(bool alter) {
        std::string data = ReadBytes(ExecutableFolder() + L"update_test_setup.exe");
        EXPECT_GT(data.size(), 1000u);
        if (alter)
            data[data.size() / 2] ^= 0x01;
        std::wstring path = folder.Path() + L"setup.exe";
        WriteBytes(path, data);
        return path;
    }
    bool Verify(const std::wstring& path, int32_t version, const std::string& signature,
                const TSetupPublicKey& key) {
        TFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(file);
        return VerifySetupSignature(file.get(), version, signature, key);
    }
    TTempFolder folder;
};

} // namespace

TEST_F(SetupSignatureTest, AcceptsTheSignatureOfTheFileForItsVersion) {
    std::wstring path = CopyOfSetup(false);
    EXPECT_TRUE(Verify(path, 7, kTestSetupSignatureV7, kTestPublicKey));
    EXPECT_TRUE(Verify(path, 8, kTestSetupSignatureV8, kTestPublicKey));
}

TEST_F(SetupSignatureTest, RefusesAnotherVersionAnAlteredFileOrAnotherKey) {
    std::wstring path = CopyOfSetup(false);
    EXPECT_FALSE(Verify(path, 8, kTestSetupSignatureV7, kTestPublicKey));
    EXPECT_FALSE(Verify(path, 7, kTestSetupSignatureV8, kTestPublicKey));
    EXPECT_FALSE(Verify(path, 7, kTestSetupSignatureV7, kReleasePublicKey));
    std::wstring altered = CopyOfSetup(true);
    EXPECT_FALSE(Verify(altered, 7, kTestSetupSignatureV7, kTestPublicKey));
}

TEST_F(SetupSignatureTest, RefusesMissingOrMalformedSignatures) {
    std::wstring path = CopyOfSetup(false);
    std::string signature = kTestSetupSignatureV7;
    EXPECT_FALSE(Verify(path, 7, "", kTestPublicKey));
    EXPECT_FALSE(Verify(path, 7, signature.substr(2), kTestPublicKey));
    std::string flipped = signature;
    flipped[5] = flipped[5] == '0' ? '1' : '0';
    EXPECT_FALSE(Verify(path, 7, flipped, kTestPublicKey));
    EXPECT_FALSE(Verify(path, 7, std::string(128, '0'), kTestPublicKey));
}

TEST_F(SetupSignatureTest, TheFileDigestIsSha256) {
    std::wstring path = folder.Path() + L"abc.txt";
    WriteBytes(path, "abc");
    TFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    TSha256Digest digest{};
    ASSERT_TRUE(Sha256OfFile(file.get(), digest));
    // FIPS 180-2 test vector for "abc".
    const TSha256Digest expected = {0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea,
                                    0x41, 0x41, 0x40, 0xde, 0x5d, 0xae, 0x22, 0x23,
                                    0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17, 0x7a, 0x9c,
                                    0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
    EXPECT_EQ(digest, expected);
}
