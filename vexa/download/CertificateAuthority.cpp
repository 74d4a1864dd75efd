#include "vexa/download/CertificateAuthority.h"

#include "platform/files.h"
#include "vexa/control/ModuleFolders.h"

std::string FindCertificateAuthority()
{
    const std::wstring authority = GetCertificateAuthorityPath();
    return platform::FileExists(authority) ? platform::NativePath(authority) : std::string();
}

void ApplyCertificateAuthority(CURL* curl, const std::string& authority)
{
    if (authority.empty())
        return;
    // libcurl copies the text.
    curl_easy_setopt(curl, CURLOPT_CAINFO, authority.c_str());
    curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
}
