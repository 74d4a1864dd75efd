#pragma once
#include <string>
#include <string_view>

namespace quill::sdr {

// The directory log keeps its Chinese texts as GBK (code page 936) bytes.
std::string Gbk(std::wstring_view text);

}  // namespace quill::sdr
