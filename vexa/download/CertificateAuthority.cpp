#include "vexa/download/CertificateAuthority.h"

#include "platform/files.h"
#include "vexa/control/ModuleFolders.h"

void ApplyCertificateAuthority(CURL* curl)
{
    const std::wstring authority = GetCertificateAuthorityPath();
    if (!platform::FileExists(authority))
        return;
    // libcurl copies the text, so the temporary may go.
    curl_easy_setopt(curl, CURLOPT_CAINFO, platform::NativePath(authority).c_str());
    curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
}
