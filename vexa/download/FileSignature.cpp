#include "vexa/download/FileSignature.h"

#include "platform/file_reader.h"

#include <sodium.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kKeyIdBytes = 8;
constexpr std::size_t kSignatureFileBytes = kKeyIdBytes + crypto_sign_BYTES;
// Key and signature lines are about a hundred characters; anything much longer is no such file.
constexpr std::size_t kMaxLineFileBytes = 1024;
constexpr std::size_t kReadBlockBytes = 1 << 16;

struct LineFile {
    bool readable = false;
    std::optional<Bytes> bytes;  // empty when the line is no base64 of the expected length
};

std::string Base64Line(const unsigned char* bytes, std::size_t length)
{
    std::string text(sodium_base64_ENCODED_LEN(length, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes, length, sodium_base64_VARIANT_ORIGINAL);
    text.pop_back();  // the terminating zero
    return text + "\n";
}

std::optional<std::string> ReadSmallFile(const std::wstring& path)
{
    platform::CFileReader reader;
    if (!reader.Open(path))
        return std::nullopt;
    std::string text(kMaxLineFileBytes + 1, '\0');
    std::size_t used = 0;
    for (std::ptrdiff_t got; used < text.size() && (got = reader.Read(text.data() + used, text.size() - used)) != 0;) {
        if (got < 0)
            return std::nullopt;
        used += static_cast<std::size_t>(got);
    }
    text.resize(used);
    return text;
}

LineFile ReadLineFile(const std::wstring& path, std::size_t expectedBytes)
{
    const std::optional<std::string> text = ReadSmallFile(path);
    if (!text)
        return {};
    LineFile file{true, std::nullopt};
    Bytes bytes(expectedBytes);
    std::size_t length = 0;
    const char* end = nullptr;
    if (text->size() > kMaxLineFileBytes ||
        sodium_base642bin(bytes.data(), bytes.size(), text->data(), text->size(), nullptr, &length, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0 ||
        length != expectedBytes || text->find_first_not_of(" \t\r\n", end - text->data()) != std::string::npos)
        return file;
    file.bytes = std::move(bytes);
    return file;
}

// Valid when the file holds one key of the expected length.
SignatureCheck ReadKey(const std::wstring& path, std::size_t length, Bytes& key)
{
    if (sodium_init() < 0)
        return SignatureCheck::KeyUnreadable;
    LineFile file = ReadLineFile(path, length);
    if (!file.readable)
        return SignatureCheck::KeyUnreadable;
    if (!file.bytes)
        return SignatureCheck::KeyMalformed;
    key = std::move(*file.bytes);
    return SignatureCheck::Valid;
}

// A secret key is wiped from memory however the signing ends.
struct SecretKey {
    ~SecretKey() { sodium_memzero(bytes.data(), bytes.size()); }
    Bytes bytes;
};

Bytes KeyId(const unsigned char* publicKey)
{
    Bytes id(kKeyIdBytes);
    crypto_generichash(id.data(), id.size(), publicKey, crypto_sign_PUBLICKEYBYTES, nullptr, 0);
    return id;
}

// Feeds the published path, a zero byte and the whole file into the pre-hash;
// false when the file cannot be read to its end.
bool HashFile(const std::wstring& path, const std::string& publishedPath, crypto_sign_state& state)
{
    crypto_sign_update(&state, reinterpret_cast<const unsigned char*>(publishedPath.c_str()), publishedPath.size() + 1);
    platform::CFileReader reader;
    if (!reader.Open(path))
        return false;
    Bytes block(kReadBlockBytes);
    std::ptrdiff_t got;
    while ((got = reader.Read(block.data(), block.size())) > 0)
        crypto_sign_update(&state, block.data(), static_cast<unsigned long long>(got));
    return got == 0;
}

}  // namespace

KeyPairText GenerateKeyPair()
{
    if (sodium_init() < 0)
        return {};
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(publicKey, secretKey);
    KeyPairText keys{Base64Line(publicKey, sizeof publicKey), Base64Line(secretKey, sizeof secretKey)};
    sodium_memzero(secretKey, sizeof secretKey);
    return keys;
}

SignatureCheck SignFile(const std::wstring& file, const std::string& publishedPath, const std::wstring& secretKeyFile,
                        std::string& signatureText)
{
    SecretKey key;
    if (const SignatureCheck read = ReadKey(secretKeyFile, crypto_sign_SECRETKEYBYTES, key.bytes); read != SignatureCheck::Valid)
        return read;
    crypto_sign_state state;
    crypto_sign_init(&state);
    if (!HashFile(file, publishedPath, state))
        return SignatureCheck::FileUnreadable;
    const unsigned char* secretKey = key.bytes.data();
    Bytes signature = KeyId(secretKey + crypto_sign_SECRETKEYBYTES - crypto_sign_PUBLICKEYBYTES);
    signature.resize(kSignatureFileBytes);
    crypto_sign_final_create(&state, signature.data() + kKeyIdBytes, nullptr, secretKey);
    signatureText = Base64Line(signature.data(), signature.size());
    return SignatureCheck::Valid;
}

SignatureCheck VerifyFileSignature(const std::wstring& file, const std::string& publishedPath,
                                   const std::wstring& signatureFile, const std::wstring& publicKeyFile)
{
    Bytes key;
    if (const SignatureCheck read = ReadKey(publicKeyFile, crypto_sign_PUBLICKEYBYTES, key); read != SignatureCheck::Valid)
        return read;
    const LineFile signature = ReadLineFile(signatureFile, kSignatureFileBytes);
    if (!signature.readable)
        return SignatureCheck::SignatureUnreadable;
    if (!signature.bytes)
        return SignatureCheck::SignatureMalformed;
    if (!std::equal(signature.bytes->begin(), signature.bytes->begin() + kKeyIdBytes, KeyId(key.data()).begin()))
        return SignatureCheck::OtherKey;

    crypto_sign_state state;
    crypto_sign_init(&state);
    if (!HashFile(file, publishedPath, state))
        return SignatureCheck::FileUnreadable;
    const bool valid = crypto_sign_final_verify(&state, signature.bytes->data() + kKeyIdBytes, key.data()) == 0;
    return valid ? SignatureCheck::Valid : SignatureCheck::Tampered;
}
