// The publisher's signing tool. See kUsageText.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/program_entry.h"
#include "platform/text.h"
#include "vexa/download/FileSignature.h"

namespace {

constexpr const char* kUsageText = R"(usage:
  vexa-sign keygen <folder>                 writes <folder>/update.key (secret, mode 0600)
                                            and <folder>/update.pub (public)
  vexa-sign sign <secret key> <file>...     writes a signature <file>.sig beside each file
  vexa-sign verify <public key> <file>      checks <file> against <file>.sig
Copy update.pub into the updater's folder of the client tree; publish every
vexa.xml, filelist.xml, deltas.xml and installer together with its .sig.
A signature binds the file to its place on the update server, so sign each
file where it lies in the published tree, which the tool reads off its path:
  <ProductCode>/vexa.xml                                (below SelfUrl)
  <ProductCode>/<version>/vexa/filelist.xml             (below DownloadUrl)
  <ProductCode>/<version>/vexa/deltas.xml               (below DownloadUrl)
  <ProductCode>/<version>/<ProductCode>Installer.exe    (below DownloadUrl)
The signed bytes are that path (UTF-8), one zero byte, then the file; a file
served at another path or for another version does not verify.
Exit codes: 0 done, 1 the signature does not verify, 2 usage or a file in no
published place, 3 a key is missing, unreadable or of the wrong kind, or keygen
would overwrite one, 4 a file or its signature cannot be read or written.
)";

enum ExitCode { kDone = 0, kNotVerified = 1, kBadUsage = 2, kKeyProblem = 3, kFileProblem = 4 };

int Fail(ExitCode code, const std::string& path, const std::string& reason)
{
    std::fprintf(stderr, "vexa-sign: %s: %s\n", path.c_str(), reason.c_str());
    return code;
}

std::wstring Wide(const std::string& path)
{
    return platform::WideFromUtf8(path);
}

bool WriteFile(const std::string& path, const std::string& text)
{
    std::FILE* file = platform::OpenFileStream(Wide(path), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

// The last count components of the file's absolute path, joined by '/'.
std::optional<std::string> LastComponents(const std::vector<std::string>& components, std::size_t count)
{
    if (components.size() < count)
        return std::nullopt;
    std::string path;
    for (auto it = components.end() - static_cast<std::ptrdiff_t>(count); it != components.end(); ++it)
        path += (path.empty() ? "" : "/") + *it;
    return path;
}

// Where the updater fetches the file, read off its place in the published tree;
// empty for a file the updater never fetches signed.
std::optional<std::string> PublishedPath(const std::string& file)
{
    std::vector<std::string> components;
    for (const std::filesystem::path& part : std::filesystem::absolute(file).lexically_normal().relative_path())
        components.push_back(part.string());
    const std::string name = components.empty() ? "" : components.back();
    constexpr std::string_view kInstaller = "Installer.exe";
    if (name == "vexa.xml")
        return LastComponents(components, 2);
    if ((name == "filelist.xml" || name == "deltas.xml") && components.size() >= 2 &&
        components[components.size() - 2] == "vexa")
        return LastComponents(components, 4);
    if (name.size() > kInstaller.size() && name.ends_with(kInstaller) && components.size() >= 3 &&
        components[components.size() - 3] + std::string(kInstaller) == name)
        return LastComponents(components, 3);
    return std::nullopt;
}

int NotPublished(const std::string& file)
{
    return Fail(kBadUsage, file,
                "not in a published place (<ProductCode>/vexa.xml, <ProductCode>/<version>/vexa/filelist.xml, "
                "<ProductCode>/<version>/vexa/deltas.xml or "
                "<ProductCode>/<version>/<ProductCode>Installer.exe)");
}

int CheckFailure(SignatureCheck check, const std::string& key, const std::string& file)
{
    switch (check) {
    case SignatureCheck::Valid:
        return kDone;
    case SignatureCheck::Tampered:
        return Fail(kNotVerified, file, "the signature does not verify: the file is not the one that was signed");
    case SignatureCheck::OtherKey:
        return Fail(kNotVerified, file, "the signature does not verify: it was made with another key");
    case SignatureCheck::KeyUnreadable:
        return Fail(kKeyProblem, key, "cannot read the key");
    case SignatureCheck::KeyMalformed:
        return Fail(kKeyProblem, key, "not a key of the right kind (secret key to sign, public key to verify)");
    case SignatureCheck::FileUnreadable:
        return Fail(kFileProblem, file, "cannot read the file");
    case SignatureCheck::SignatureUnreadable:
        return Fail(kFileProblem, file + ".sig", "cannot read the signature");
    case SignatureCheck::SignatureMalformed:
        return Fail(kFileProblem, file + ".sig", "not a signature file");
    }
    return kFileProblem;
}

int KeyGen(const std::string& folder)
{
    const std::string secretPath = folder + "/update.key";
    const std::string publicPath = folder + "/update.pub";
    if (!platform::FileExists(Wide(folder)))
        return Fail(kFileProblem, folder, "no such folder: create it first");
    const KeyPairText keys = GenerateKeyPair();
    if (keys.secretKey.empty())
        return Fail(kKeyProblem, folder, "cannot generate a key");
    if (platform::FileExists(Wide(secretPath)) || platform::FileExists(Wide(publicPath)))
        return Fail(kKeyProblem, folder, "holds a key already; it is never overwritten");
    // Never over an existing key, and a secret key is never readable by others.
    if (!platform::WriteNewFile(Wide(secretPath), keys.secretKey, true))
        return Fail(kFileProblem, secretPath, "cannot write the secret key");
    if (!platform::WriteNewFile(Wide(publicPath), keys.publicKey, false)) {
        platform::RemoveFile(Wide(secretPath));
        return Fail(kFileProblem, publicPath, "cannot write the public key");
    }
    std::printf("%s\n%s\n", secretPath.c_str(), publicPath.c_str());
    return kDone;
}

int Sign(const std::string& secretKey, char** files, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::string file = files[i];
        const std::optional<std::string> published = PublishedPath(file);
        if (!published)
            return NotPublished(file);
        std::string signature;
        if (const int code = CheckFailure(SignFile(Wide(file), *published, Wide(secretKey), signature), secretKey, file))
            return code;
        if (!WriteFile(file + ".sig", signature))
            return Fail(kFileProblem, file + ".sig", "cannot write the signature");
        std::printf("%s.sig\n", file.c_str());
    }
    return kDone;
}

int Verify(const std::string& publicKey, const std::string& file)
{
    const std::optional<std::string> published = PublishedPath(file);
    if (!published)
        return NotPublished(file);
    if (const int code = CheckFailure(VerifyFileSignature(Wide(file), *published, Wide(file + ".sig"), Wide(publicKey)),
                                      publicKey, file))
        return code;
    std::printf("%s: signature verified as %s\n", file.c_str(), published->c_str());
    return kDone;
}

}  // namespace

int ProgramMain(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "keygen" && argc == 3)
        return KeyGen(argv[2]);
    if (command == "sign" && argc >= 4)
        return Sign(argv[2], argv + 3, argc - 3);
    if (command == "verify" && argc == 4)
        return Verify(argv[2], argv[3]);
    std::fputs(kUsageText, command == "--help" ? stdout : stderr);
    return command == "--help" ? kDone : kBadUsage;
}
