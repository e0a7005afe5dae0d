#include "Credentials.h"

#include <openssl/evp.h>

#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

// Fixed pass phrase of the stored credentials; every installation deciphers with it.
constexpr char kPassPhrase[] = "ZQXV_ENCODED_KEY_1987";

constexpr std::size_t kMaxHexDigits = 2047;

using Key = std::array<unsigned char, 16>;

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

bool Md5(const unsigned char* data, std::size_t size, Key& out) {
    unsigned int len = 0;
    return EVP_Digest(data, size, out.data(), &len, EVP_md5(), nullptr) == 1 && len == out.size();
}

// The key derivation of the desktop crypto API for an MD5 hash and a 128-bit AES key: the
// pass phrase's MD5 is mixed into 64 bytes of 0x36 and those are hashed again.
std::optional<Key> DeriveKey() {
    char phrase[sizeof(kPassPhrase)];
    std::memcpy(phrase, kPassPhrase, sizeof(kPassPhrase));
    Key hash{};
    if (!Md5(reinterpret_cast<const unsigned char*>(phrase), std::strlen(phrase), hash))
        return std::nullopt;
    std::array<unsigned char, 64> block;
    block.fill(0x36);
    for (std::size_t i = 0; i < hash.size(); ++i)
        block[i] ^= hash[i];
    Key key{};
    if (!Md5(block.data(), block.size(), key))
        return std::nullopt;
    return key;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Two digits per byte; a lone last digit is a byte of its own. Nothing on a non-hex character.
std::optional<std::vector<unsigned char>> HexToBytes(const std::string& hex) {
    std::vector<unsigned char> bytes;
    bytes.reserve((hex.size() + 1) / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexValue(hex[i]);
        if (hi < 0)
            return std::nullopt;
        if (i + 1 == hex.size()) {
            bytes.push_back(static_cast<unsigned char>(hi));
            break;
        }
        int lo = HexValue(hex[i + 1]);
        if (lo < 0)
            return std::nullopt;
        bytes.push_back(static_cast<unsigned char>(hi * 16 + lo));
    }
    return bytes;
}

// One AES-128-ECB run with PKCS#5 padding; nothing when the library refuses (for deciphering:
// a length that is not whole blocks, or bad padding).
std::optional<std::vector<unsigned char>> RunCipher(const std::vector<unsigned char>& in,
                                                    bool encipher) {
    std::optional<Key> key = DeriveKey();
    if (!key)
        return std::nullopt;
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx)
        return std::nullopt;
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key->data(), nullptr,
                          encipher ? 1 : 0) != 1)
        return std::nullopt;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 1);
    std::vector<unsigned char> out(in.size() + 16);
    int len = 0;
    if (EVP_CipherUpdate(ctx.get(), out.data(), &len, in.data(), static_cast<int>(in.size())) != 1)
        return std::nullopt;
    int tail = 0;
    if (EVP_CipherFinal_ex(ctx.get(), out.data() + len, &tail) != 1)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(len + tail));
    return out;
}

} // namespace

std::string DecipherCredential(const std::string& hexText) {
    if (hexText.empty())
        return {};
    std::optional<std::vector<unsigned char>> bytes = HexToBytes(hexText.substr(0, kMaxHexDigits));
    // The cipher runs on whole 16-byte blocks only.
    if (!bytes || bytes->empty() || bytes->size() % 16 != 0)
        return {};
    std::optional<std::vector<unsigned char>> plain = RunCipher(*bytes, false);
    if (!plain)
        return {};
    std::string text(plain->begin(), plain->end());
    return text.substr(0, text.find('\0'));
}

std::string EncipherCredential(const std::string& plain) {
    std::optional<std::vector<unsigned char>> bytes =
        RunCipher(std::vector<unsigned char>(plain.begin(), plain.end()), true);
    if (!bytes)
        return {};
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes->size() * 2);
    for (unsigned char b : *bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 0x0F];
    }
    return hex;
}
