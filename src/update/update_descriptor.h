// The update descriptor's values, the update server's address, and what a setup signature
// covers. Portable: the signature check itself is done by the platform's crypto.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Section "build" of the descriptor; each value has its reader's default when missing.
struct TUpdateDescriptor {
    int32_t Version = -1;
    std::string Path;
    std::string Signature; // 128 hexadecimal digits: r then s of an ECDSA P-256 signature
};

TUpdateDescriptor ReadUpdateDescriptor(std::string_view iniText);

// Our update server; an environment value, when set and not empty, takes its place.
inline constexpr const char kDefaultUpdateHost[] = "update.corvane-meter.net";
inline constexpr const char kDescriptorPath[] = "/udf/wendrel.udf";
// A few hundred bytes in practice; anything beyond this is not a descriptor.
inline constexpr int64_t kMaxDescriptorBytes = 64 * 1024;
inline constexpr int32_t kDefaultUpdatePort = 80;

struct TUpdateServer {
    std::string Host;
    int32_t Port = kDefaultUpdatePort;
};

// hostOverride and portOverride are the environment's values (null when unset). A port that
// is not a number from 1 to 65535 is ignored.
TUpdateServer ResolveUpdateServer(const char* hostOverride, const char* portOverride);

using TSha256Digest = std::array<uint8_t, 32>;
using TEcdsaSignature = std::array<uint8_t, 64>; // r || s, each 32 bytes big-endian

// The bytes that are signed: "corvane-setup" LF, the decimal version, LF, the setup file's
// SHA-256 digest (32 raw bytes). Binding the version stops an old signed setup program from
// being published as a newer build.
std::string SignedSetupMessage(int32_t version, const TSha256Digest& setupDigest);

// 128 hexadecimal digits (either case, blanks around them ignored) into r || s.
bool DecodeSignatureHex(std::string_view text, TEcdsaSignature& signature);
