// Reading the update descriptor, the server's address and the signed message's layout.
#include "update/update_descriptor.h"

#include "config/mem_ini_file.h"

namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

TUpdateDescriptor ReadUpdateDescriptor(std::string_view iniText) {
    TMemIniFile ini("corvane-update.tmp", iniText);
    TUpdateDescriptor descriptor;
    descriptor.Version = ini.QueryInt("build", "version", -1);
    descriptor.Path = ini.QueryText("build", "path", "");
    descriptor.Signature = ini.QueryText("build", "signature", "");
    return descriptor;
}

TUpdateServer ResolveUpdateServer(const char* hostOverride, const char* portOverride) {
    TUpdateServer server;
    server.Host = (hostOverride && *hostOverride) ? hostOverride : kDefaultUpdateHost;
    int32_t port = 0;
    if (portOverride && TryParseIniInt(portOverride, port) && port >= 1 && port <= 65535)
        server.Port = port;
    return server;
}

std::string SignedSetupMessage(int32_t version, const TSha256Digest& setupDigest) {
    std::string message = "corvane-setup\n" + std::to_string(version) + "\n";
    message.append(reinterpret_cast<const char*>(setupDigest.data()), setupDigest.size());
    return message;
}

bool DecodeSignatureHex(std::string_view text, TEcdsaSignature& signature) {
    text = TrimBlanks(text);
    if (text.size() != signature.size() * 2)
        return false;
    for (size_t i = 0; i < signature.size(); ++i) {
        int high = HexDigitValue(text[2 * i]), low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        signature[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return true;
}
