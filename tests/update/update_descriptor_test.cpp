// The update descriptor, the server's address and the signed message's layout.
#include "update/update_descriptor.h"

#include <gtest/gtest.h>

TEST(UpdateDescriptor, ReadsTheBuildSectionWithoutRegardToCase) {
    TUpdateDescriptor d = ReadUpdateDescriptor("; comment\r\n[other]\r\nversion=99\r\n"
                                               "[BUILD]\r\n Version = 7 \r\nPATH= host/setup.exe \n"
                                               "Signature=AB12\r\n");
    EXPECT_EQ(d.Version, 7);
    EXPECT_EQ(d.Path, "host/setup.exe");
    EXPECT_EQ(d.Signature, "AB12");
}

TEST(UpdateDescriptor, MissingOrUnreadableValuesGiveTheDefaults) {
    TUpdateDescriptor none = ReadUpdateDescriptor("");
    EXPECT_EQ(none.Version, -1);
    EXPECT_EQ(none.Path, "");
    EXPECT_EQ(none.Signature, "");
    EXPECT_EQ(ReadUpdateDescriptor("[build]\nversion=seven\npath=x").Version, -1);
    EXPECT_EQ(ReadUpdateDescriptor("[build]\nversion=0x10").Version, 16);
    // An error page is no descriptor.
    EXPECT_EQ(ReadUpdateDescriptor("<html><body>404 Not Found</body></html>").Version, -1);
}

TEST(UpdateServer, TheEnvironmentOverridesHostAndPort) {
    TUpdateServer plain = ResolveUpdateServer(nullptr, nullptr);
    EXPECT_EQ(plain.Host, kDefaultUpdateHost);
    EXPECT_EQ(plain.Port, 80);
    TUpdateServer local = ResolveUpdateServer("127.0.0.1", "8080");
    EXPECT_EQ(local.Host, "127.0.0.1");
    EXPECT_EQ(local.Port, 8080);
    EXPECT_EQ(ResolveUpdateServer("", "").Host, kDefaultUpdateHost);
    EXPECT_EQ(ResolveUpdateServer(nullptr, "0").Port, 80);
    EXPECT_EQ(ResolveUpdateServer(nullptr, "65536").Port, 80);
    EXPECT_EQ(ResolveUpdateServer(nullptr, "http").Port, 80);
}

TEST(SetupSignedMessage, BindsTheVersionToTheDigest) {
    TSha256Digest digest{};
    for (size_t i = 0; i < digest.size(); ++i)
        digest[i] = static_cast<uint8_t>(i * 7);
    std::string message = SignedSetupMessage(7, digest);
    std::string expected = "corvane-setup\n7\n";
    expected.append(reinterpret_cast<const char*>(digest.data()), digest.size());
    EXPECT_EQ(message, expected);
    EXPECT_NE(SignedSetupMessage(8, digest), message);
    EXPECT_EQ(SignedSetupMessage(-3, digest).substr(0, 17), "corvane-setup\n-3\n");
}

TEST(SetupSignatureText, TakesExactly128HexDigits) {
    std::string hex;
    for (int i = 0; i < 64; ++i) {
        const char* digits = "0123456789abcdef";
        hex += digits[(i * 5) % 16];
        hex += digits[i % 16];
    }
    TEcdsaSignature sig{};
    ASSERT_TRUE(DecodeSignatureHex(" " + hex + "\r\n", sig));
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(sig[i], ((i * 5) % 16) * 16 + i % 16) << i;
    std::string upper = hex;
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    TEcdsaSignature sigUpper{};
    ASSERT_TRUE(DecodeSignatureHex(upper, sigUpper));
    EXPECT_EQ(sig, sigUpper);
    EXPECT_FALSE(DecodeSignatureHex(hex.substr(1), sig));
    EXPECT_FALSE(DecodeSignatureHex(hex + "0", sig));
    EXPECT_FALSE(DecodeSignatureHex("", sig));
    std::string bad = hex;
    bad[10] = 'g';
    EXPECT_FALSE(DecodeSignatureHex(bad, sig));
}
