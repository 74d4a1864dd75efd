#include "cquill/src/sdr/GbkText.h"

#include "platform/codepage.h"

namespace quill::sdr {

std::string Gbk(std::wstring_view text)
{
    std::string bytes;
    platform::WideToCodePage(936, text, bytes);
    return bytes;
}

}  // namespace quill::sdr
