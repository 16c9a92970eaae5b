// Fuzz target: arbitrary descriptor bytes never lead to a start of the setup program.
// Covered: reading the descriptor (the INI reader and its integer rule), the decision of the
// update dialog (a newer build than ours, a location with a host, a signature that decodes),
// the location's normalisation, and the signed message that binds the version to the setup's
// digest. The check itself is Windows CNG (ECDSA P-256 over SHA-256) and is not run here: a
// stand-in verifier accepts exactly one message and signature, those of a genuine setup
// program published as build 7. The server is assumed hostile: it may serve the genuine
// program or a tampered one, and the user is assumed to answer Yes.
// Input: the descriptor's bytes (as saved in version.tmp).
#include "fuzz_support.h"
#include "update/http_response.h"
#include "update/update_descriptor.h"

namespace {

constexpr int32_t kOwnBuild = 6;
constexpr int32_t kSignedVersion = 7;

TSha256Digest DigestOf(uint8_t fill) {
    TSha256Digest digest;
    for (size_t i = 0; i < digest.size(); ++i)
        digest[i] = static_cast<uint8_t>(fill + i * 13);
    return digest;
}
const TSha256Digest kGenuineDigest = DigestOf(0x41);
const TSha256Digest kTamperedDigest = DigestOf(0x42);

TEcdsaSignature GenuineSignature() {
    TEcdsaSignature signature;
    for (size_t i = 0; i < signature.size(); ++i)
        signature[i] = static_cast<uint8_t>(0xA5 ^ (i * 29));
    return signature;
}

// The stand-in for the CNG check: only the genuine program's signature over its own message.
bool StandInVerify(const std::string& message, const TEcdsaSignature& signature) {
    return message == SignedSetupMessage(kSignedVersion, kGenuineDigest) &&
           signature == GenuineSignature();
}

// The dialog's path from a read descriptor to a started setup program, for a downloaded file
// with the given digest. False wherever the dialog stops short of starting it.
bool SetupWouldStart(const TUpdateDescriptor& descriptor, const TSha256Digest& fileDigest) {
    if (descriptor.Version <= kOwnBuild)
        return false; // up to date, or no usable version: no download
    std::string location = descriptor.Path;
    const THttpLocation where = NormaliseLocation(location);
    if (where.Host.empty())
        return false; // the connection cannot even be attempted
    TEcdsaSignature signature{};
    if (!DecodeSignatureHex(descriptor.Signature, signature))
        return false;
    return StandInVerify(SignedSetupMessage(descriptor.Version, fileDigest), signature);
}

int HexDigit(char c) {
    const std::string digits = "0123456789abcdef";
    const char lower = (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
    const size_t at = digits.find(lower);
    return at != std::string::npos ? static_cast<int>(at) : -1;
}

// The signature text as this reading takes it: 128 hexadecimal digits between blanks.
bool ReferenceDecode(const std::string& text, TEcdsaSignature& signature) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    if (end - begin != 128)
        return false;
    for (size_t i = 0; i < 64; ++i) {
        const int high = HexDigit(text[begin + 2 * i]), low = HexDigit(text[begin + 2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        signature[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TUpdateDescriptor descriptor = ReadUpdateDescriptor(text);

    // A tampered program never starts, whatever the descriptor says.
    FUZZ_CHECK(!SetupWouldStart(descriptor, kTamperedDigest));
    // The genuine program starts only as the build it was signed for, with its own signature.
    if (SetupWouldStart(descriptor, kGenuineDigest)) {
        FUZZ_CHECK(descriptor.Version == kSignedVersion);
        TEcdsaSignature signature{};
        FUZZ_CHECK(ReferenceDecode(descriptor.Signature, signature));
        FUZZ_CHECK(signature == GenuineSignature());
    }
    // The signature text decodes exactly when it is 128 hexadecimal digits.
    TEcdsaSignature decoded{}, reference{};
    const bool ok = DecodeSignatureHex(descriptor.Signature, decoded);
    FUZZ_CHECK(ok == ReferenceDecode(descriptor.Signature, reference));
    if (ok)
        FUZZ_CHECK(decoded == reference);
    // The signed message names exactly the version read.
    const std::string message = SignedSetupMessage(descriptor.Version, kGenuineDigest);
    FUZZ_CHECK(message == "corvane-setup\n" + std::to_string(descriptor.Version) + "\n" +
                              std::string(kGenuineDigest.begin(), kGenuineDigest.end()));

    // The location: no scheme left in front, a host without "/", a path from "/".
    std::string location = descriptor.Path;
    const THttpLocation where = NormaliseLocation(location);
    FUZZ_CHECK(where.Host.find('/') == std::string::npos);
    FUZZ_CHECK(!where.Path.empty() && where.Path.front() == '/');
    // The shortened text is written back; "scheme://host" alone keeps no "/".
    FUZZ_CHECK(location == where.Host + where.Path ||
               (where.Path == "/" && location == where.Host));
    const std::string request = BuildRequest(where);
    FUZZ_CHECK(request == "GET " + where.Path + " HTTP/1.0\r\nHost: " + where.Host + "\r\n\r\n");

    // The same bytes as an override of the server's port: a port from 1 to 65535, else 80.
    const TUpdateServer server = ResolveUpdateServer(nullptr, descriptor.Path.c_str());
    FUZZ_CHECK(server.Port >= 1 && server.Port <= 65535);
    return 0;
}
