#include "vexa/xml/XmlFields.h"

#include "vexa/xml/CXmlDocument.h"

const wchar_t kUtf8Declaration[] = L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?> \n";

bool ReadChildField(CXmlDocument& document, std::wstring_view name, std::wstring& text)
{
    if (!document.FindChildElement(name))
        return false;
    text = document.GetChildText();
    return true;
}
