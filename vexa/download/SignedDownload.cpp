#include "vexa/download/SignedDownload.h"

#include <cstdint>

#include "platform/files.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/download/DownloadFile.h"
#include "vexa/download/FileSignature.h"

namespace {

// A signature is one base64 line; anything much longer is not one.
constexpr std::uint64_t kSignatureSizeCap = 4096;

}  // namespace

bool CheckDownloadSignature(const std::wstring& url, const std::wstring& path)
{
    const std::wstring key = GetUpdateKeyPath();
    if (!platform::FileExists(key))
        return true;
    // A signature left by an earlier run must not be resumed onto.
    const std::wstring signature = path + L".sig";
    if (platform::FileExists(signature))
        platform::RemoveFile(signature);
    const bool valid = DownloadFile(url + L".sig", signature, false, kSignatureSizeCap) &&
                       VerifyFileSignature(path, signature, key) == SignatureCheck::Valid;
    if (platform::FileExists(signature))
        platform::RemoveFile(signature);
    if (valid)
        return true;
    WriteLog(L"文件 %s 的签名验证失败", path.c_str());
    platform::RemoveFile(path);
    return false;
}
