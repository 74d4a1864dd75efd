#include "vexa/download/SignedDownload.h"

#include <cstdint>

#include "platform/files.h"
#include "platform/text.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/download/DownloadFile.h"
#include "vexa/download/FileSignature.h"
#include "vexa/download/TransferOptions.h"

namespace {

// A signature is one base64 line; anything much longer is not one.
constexpr std::uint64_t kSignatureSizeCap = 4096;

}  // namespace

bool UpdatesAreSigned()
{
    return platform::FileExists(GetUpdateKeyPath());
}

bool CheckDownloadSignature(const std::wstring& url, const std::wstring& publishedPath, const std::wstring& path)
{
    if (!UpdatesAreSigned())
        return true;
    const std::wstring key = GetUpdateKeyPath();
    // A signature left by an earlier run must not be resumed onto.
    const std::wstring signature = path + L".sig";
    if (platform::FileExists(signature))
        platform::RemoveFile(signature);
    const bool valid =
        DownloadFile(url + L".sig", signature, false, kSignatureSizeCap, TransferKind::SmallFile) &&
        VerifyFileSignature(path, platform::Utf8FromWide(publishedPath), signature, key) == SignatureCheck::Valid;
    if (platform::FileExists(signature))
        platform::RemoveFile(signature);
    if (valid)
        return true;
    WriteLog(L"文件 %s 的签名验证失败", path.c_str());
    platform::RemoveFile(path);
    return false;
}
