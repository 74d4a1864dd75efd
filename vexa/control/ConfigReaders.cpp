#include "vexa/control/ConfigReaders.h"

#include "vexa/install/FileList.h"
#include "vexa/xml/CXmlDocument.h"

#include <optional>

const wchar_t* const kDefaultUpdateUrl = L"http://127.0.0.1:80/MOXUpdate/";

namespace {

// The key's text from a fresh document, or nothing when the file cannot be read,
// has no root element or the root has no such child.
std::optional<std::wstring> ReadKey(const std::wstring& path, const wchar_t* key)
{
    if (path.empty())
        return std::nullopt;
    CXmlDocument document;
    if (!document.LoadFile(path))
        return std::nullopt;
    document.ResetPosition();
    if (!document.FindElement() || !document.FindChildElement(key))
        return std::nullopt;
    return document.GetChildText();
}

std::wstring ReadOr(const std::wstring& path, const wchar_t* key, const wchar_t* fallback)
{
    return ReadKey(path, key).value_or(fallback);
}

std::wstring ReadUrlOr(const std::wstring& path, const wchar_t* key)
{
    const auto text = ReadKey(path, key);
    return text ? *text + L"/" : kDefaultUpdateUrl;
}

}  // namespace

std::wstring ReadStartExecute(const std::wstring& path)
{
    return ReadOr(path, L"StartExecute", L"mox.exe");
}

std::wstring ReadMinVersion(const std::wstring& path)
{
    return ReadOr(path, L"MinVersion", L"0.0.0");
}

std::wstring ReadSelfUrl(const std::wstring& path)
{
    return ReadUrlOr(path, L"SelfUrl");
}

std::wstring ReadProductCode(const std::wstring& path)
{
    return ReadOr(path, L"ProductCode", L"MOX");
}

std::wstring ReadDownloadUrl(const std::wstring& path)
{
    return ReadUrlOr(path, L"DownloadUrl");
}

std::wstring ReadCurVersion(const std::wstring& path)
{
    return ReadOr(path, L"CurVersion", L"1.0.0");
}

UpdateMethodType ReadUpdateMethod(const std::wstring& path)
{
    const auto text = ReadKey(path, L"UpdateMethod");
    if (text && EqualIgnoringCase(*text, L"filelist"))
        return METHOD_FILELIST;
    if (text && EqualIgnoringCase(*text, L"installer"))
        return METHOD_INSTALLER;
    return METHOD_INVALID;
}

bool ConfigHasKey(const std::wstring& path, const wchar_t* key)
{
    return ReadKey(path, key).has_value();
}
