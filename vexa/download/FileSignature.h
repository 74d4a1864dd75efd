#pragma once
#include <string>

// Ed25519 signatures of published files, through libsodium. Files are signed in
// the pre-hashed form (Ed25519ph), so an installer of any size streams through
// instead of being held in memory.
//
// Key and signature files are one line of standard base64:
//   public key ("update.pub")   the 32-byte public key
//   secret key                  libsodium's 64-byte secret key (seed and public key)
//   signature ("<file>.sig")    an 8-byte key id, then the 64-byte signature
// The key id (BLAKE2b-64 of the public key) tells "signed with another key" apart
// from "the file changed".
//
// What is signed binds the file to where it is published: the pre-hash takes the
// published path (UTF-8, the URL path below SelfUrl or DownloadUrl before
// percent-encoding, e.g. "MOX/1.2.0/vexa/filelist.xml"), one zero byte, then the
// file's bytes. A file served at another path or for another version does not
// verify (Tampered).

enum class SignatureCheck {
    Valid,
    Tampered,            // the key matches, the bytes do not
    OtherKey,            // signed with a different key
    KeyUnreadable,
    KeyMalformed,        // not a key of the expected kind
    FileUnreadable,
    SignatureUnreadable,
    SignatureMalformed,
};

struct KeyPairText {
    std::string publicKey;  // contents of a public key file
    std::string secretKey;  // contents of a secret key file
};

KeyPairText GenerateKeyPair();

// Signs the file with the secret key file; on Valid, signatureText holds the
// contents of its signature file.
SignatureCheck SignFile(const std::wstring& file, const std::string& publishedPath, const std::wstring& secretKeyFile,
                        std::string& signatureText);

SignatureCheck VerifyFileSignature(const std::wstring& file, const std::string& publishedPath,
                                   const std::wstring& signatureFile, const std::wstring& publicKeyFile);
