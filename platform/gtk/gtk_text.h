#pragma once
#include <glib.h>

#include <string>

namespace platform::gtk {

// A wide text (UTF-32 here) as the UTF-8 the toolkit takes.
inline std::string ToolkitText(const std::wstring& text)
{
    gchar* utf8 = g_ucs4_to_utf8(reinterpret_cast<const gunichar*>(text.c_str()), static_cast<glong>(text.size()), nullptr, nullptr, nullptr);
    std::string result = utf8 ? utf8 : "";
    g_free(utf8);
    return result;
}

}  // namespace platform::gtk
