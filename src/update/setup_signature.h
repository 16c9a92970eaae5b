// Verifies a downloaded setup program: an ECDSA P-256 / SHA-256 signature over the file's
// digest and the build number it is published as, checked with Windows' CNG.
#pragma once
#include "platform/handle.h"
#include "update/update_descriptor.h"

#include <array>
#include <cstdint>
#include <string>

struct TSetupPublicKey {
    std::array<uint8_t, 64> Point; // X || Y, big-endian
};

// The key whose signatures the application trusts.
extern const TSetupPublicKey kReleasePublicKey;

// SHA-256 of the whole file, read through the given handle from its start.
bool Sha256OfFile(HANDLE file, TSha256Digest& digest);

// True only for a well-formed signature (hexadecimal r || s) by key over
// SignedSetupMessage(version, SHA-256 of the file).
bool VerifySetupSignature(HANDLE file, int32_t version, const std::string& signatureHex,
                          const TSetupPublicKey& key);
