// Setup signature check with CNG: SHA-256 of the file, then ECDSA P-256 verification.
#include "update/setup_signature.h"
#include "platform/system_library.h"

#include <bcrypt.h>

#include <cstring>
#include <vector>

namespace {

// CNG's calls, from bcrypt.dll in the system folder: loaded on first use and kept.
struct TCng {
    decltype(&::BCryptOpenAlgorithmProvider) OpenAlgorithmProvider;
    decltype(&::BCryptCloseAlgorithmProvider) CloseAlgorithmProvider;
    decltype(&::BCryptCreateHash) CreateHash;
    decltype(&::BCryptHashData) HashData;
    decltype(&::BCryptFinishHash) FinishHash;
    decltype(&::BCryptDestroyHash) DestroyHash;
    decltype(&::BCryptImportKeyPair) ImportKeyPair;
    decltype(&::BCryptVerifySignature) VerifySignature;
    decltype(&::BCryptDestroyKey) DestroyKey;
};

const TCng& Cng() {
    static const TSystemLibrary bcrypt("bcrypt.dll");
    static const TCng calls{
        bcrypt.Proc<decltype(TCng::OpenAlgorithmProvider)>("BCryptOpenAlgorithmProvider"),
        bcrypt.Proc<decltype(TCng::CloseAlgorithmProvider)>("BCryptCloseAlgorithmProvider"),
        bcrypt.Proc<decltype(TCng::CreateHash)>("BCryptCreateHash"),
        bcrypt.Proc<decltype(TCng::HashData)>("BCryptHashData"),
        bcrypt.Proc<decltype(TCng::FinishHash)>("BCryptFinishHash"),
        bcrypt.Proc<decltype(TCng::DestroyHash)>("BCryptDestroyHash"),
        bcrypt.Proc<decltype(TCng::ImportKeyPair)>("BCryptImportKeyPair"),
        bcrypt.Proc<decltype(TCng::VerifySignature)>("BCryptVerifySignature"),
        bcrypt.Proc<decltype(TCng::DestroyKey)>("BCryptDestroyKey")};
    return calls;
}

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

struct AlgorithmTraits {
    using Type = BCRYPT_ALG_HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { Cng().CloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
    using Type = BCRYPT_HASH_HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { Cng().DestroyHash(h); }
};
struct KeyTraits {
    using Type = BCRYPT_KEY_HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { Cng().DestroyKey(h); }
};
using TAlgorithm = TUniqueHandle<AlgorithmTraits>;
using THash = TUniqueHandle<HashTraits>;
using TKey = TUniqueHandle<KeyTraits>;

TAlgorithm OpenAlgorithm(LPCWSTR name) {
    BCRYPT_ALG_HANDLE handle = nullptr;
    if (!Succeeded(Cng().OpenAlgorithmProvider(&handle, name, nullptr, 0)))
        return TAlgorithm();
    return TAlgorithm(handle);
}

// Feeds every block that read() hands out into a SHA-256 hash; read returns false on failure
// and sets size 0 at the end.
template <typename Reader> bool Sha256(Reader read, TSha256Digest& digest) {
    TAlgorithm sha = OpenAlgorithm(BCRYPT_SHA256_ALGORITHM);
    if (!sha)
        return false;
    BCRYPT_HASH_HANDLE raw = nullptr;
    if (!Succeeded(Cng().CreateHash(sha.get(), &raw, nullptr, 0, nullptr, 0, 0)))
        return false;
    THash hash(raw);
    for (;;) {
        const UCHAR* data = nullptr;
        ULONG size = 0;
        if (!read(data, size))
            return false;
        if (size == 0)
            break;
        if (!Succeeded(Cng().HashData(hash.get(), const_cast<PUCHAR>(data), size, 0)))
            return false;
    }
    return Succeeded(
        Cng().FinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0));
}

bool Sha256OfBytes(const std::string& bytes, TSha256Digest& digest) {
    bool given = false;
    return Sha256(
        [&](const UCHAR*& data, ULONG& size) {
            data = reinterpret_cast<const UCHAR*>(bytes.data());
            size = given ? 0 : static_cast<ULONG>(bytes.size());
            given = true;
            return true;
        },
        digest);
}

TKey ImportPublicKey(BCRYPT_ALG_HANDLE ecdsa, const TSetupPublicKey& key) {
    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.Point.size());
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    memcpy(blob.data(), &header, sizeof header);
    memcpy(blob.data() + sizeof header, key.Point.data(), key.Point.size());
    BCRYPT_KEY_HANDLE handle = nullptr;
    if (!Succeeded(Cng().ImportKeyPair(ecdsa, nullptr, BCRYPT_ECCPUBLIC_BLOB, &handle, blob.data(),
                                       static_cast<ULONG>(blob.size()), 0)))
        return TKey();
    return TKey(handle);
}

} // namespace

bool Sha256OfFile(HANDLE file, TSha256Digest& digest) {
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    std::vector<UCHAR> buffer(64 * 1024);
    return Sha256(
        [&](const UCHAR*& data, ULONG& size) {
            DWORD got = 0;
            if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
                return false;
            data = buffer.data();
            size = got;
            return true;
        },
        digest);
}

bool VerifySetupSignature(HANDLE file, int32_t version, const std::string& signatureHex,
                          const TSetupPublicKey& key) {
    TEcdsaSignature signature{};
    TSha256Digest fileDigest{}, messageDigest{};
    if (!DecodeSignatureHex(signatureHex, signature))
        return false;
    if (!Sha256OfFile(file, fileDigest))
        return false;
    if (!Sha256OfBytes(SignedSetupMessage(version, fileDigest), messageDigest))
        return false;
    TAlgorithm ecdsa = OpenAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
    if (!ecdsa)
        return false;
    TKey publicKey = ImportPublicKey(ecdsa.get(), key);
    if (!publicKey)
        return false;
    NTSTATUS status = Cng().VerifySignature(
        publicKey.get(), nullptr, messageDigest.data(), static_cast<ULONG>(messageDigest.size()),
        signature.data(), static_cast<ULONG>(signature.size()), 0);
    return status == 0; // STATUS_SUCCESS; anything else, the invalid signature included, fails
}
