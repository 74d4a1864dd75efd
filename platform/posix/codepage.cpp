#include "platform/codepage.h"

#include "platform/posix/iconv_text.h"

#include <algorithm>
#include <array>

namespace platform {
namespace {

struct CodePageName {
    unsigned codePage;
    const char* iconvName;
};

// Windows code page numbers and the iconv charset that holds the same table.
constexpr std::array kCodePages{
    CodePageName{437, "CP437"},         CodePageName{737, "CP737"},
    CodePageName{775, "CP775"},         CodePageName{850, "CP850"},
    CodePageName{852, "CP852"},         CodePageName{855, "CP855"},
    CodePageName{857, "CP857"},         CodePageName{860, "CP860"},
    CodePageName{861, "CP861"},         CodePageName{862, "CP862"},
    CodePageName{863, "CP863"},         CodePageName{864, "CP864"},
    CodePageName{865, "CP865"},         CodePageName{866, "CP866"},
    CodePageName{869, "CP869"},         CodePageName{874, "CP874"},
    CodePageName{932, "CP932"},         CodePageName{936, "CP936"},
    CodePageName{949, "CP949"},         CodePageName{950, "CP950"},
    CodePageName{1200, "UTF-16LE"},     CodePageName{1201, "UTF-16BE"},
    CodePageName{1250, "CP1250"},       CodePageName{1251, "CP1251"},
    CodePageName{1252, "CP1252"},       CodePageName{1253, "CP1253"},
    CodePageName{1254, "CP1254"},       CodePageName{1255, "CP1255"},
    CodePageName{1256, "CP1256"},       CodePageName{1257, "CP1257"},
    CodePageName{1258, "CP1258"},       CodePageName{1361, "JOHAB"},
    CodePageName{10000, "MACINTOSH"},   CodePageName{12000, "UTF-32LE"},
    CodePageName{12001, "UTF-32BE"},    CodePageName{20127, "ASCII"},
    CodePageName{20866, "KOI8-R"},      CodePageName{20932, "EUC-JP"},
    CodePageName{20936, "GB2312"},      CodePageName{21866, "KOI8-U"},
    CodePageName{28591, "ISO-8859-1"},  CodePageName{28592, "ISO-8859-2"},
    CodePageName{28593, "ISO-8859-3"},  CodePageName{28594, "ISO-8859-4"},
    CodePageName{28595, "ISO-8859-5"},  CodePageName{28596, "ISO-8859-6"},
    CodePageName{28597, "ISO-8859-7"},  CodePageName{28598, "ISO-8859-8"},
    CodePageName{28599, "ISO-8859-9"},  CodePageName{28603, "ISO-8859-13"},
    CodePageName{28605, "ISO-8859-15"}, CodePageName{50220, "ISO-2022-JP"},
    CodePageName{51932, "EUC-JP"},      CodePageName{51936, "EUC-CN"},
    CodePageName{51949, "EUC-KR"},      CodePageName{54936, "GB18030"},
    CodePageName{65000, "UTF-7"},       CodePageName{65001, "UTF-8"},
};

const char* IconvName(unsigned codePage)
{
    const auto found = std::find_if(kCodePages.begin(), kCodePages.end(),
                                    [codePage](const CodePageName& entry) { return entry.codePage == codePage; });
    return found == kCodePages.end() ? nullptr : found->iconvName;
}

}  // namespace

bool IsCodePageAvailable(unsigned codePage)
{
    const char* name = IconvName(codePage);
    return name && posix::IconvHasCharset(name);
}

bool CodePageToWide(unsigned codePage, std::string_view bytes, std::wstring& out)
{
    out.clear();
    const char* name = IconvName(codePage);
    return name && posix::IconvToWide(name, bytes, out);
}

bool WideToCodePage(unsigned codePage, std::wstring_view text, std::string& out, bool* lossy)
{
    out.clear();
    if (lossy)
        *lossy = false;
    const char* name = IconvName(codePage);
    return name && posix::IconvFromWide(name, text, out, lossy);
}

}  // namespace platform
