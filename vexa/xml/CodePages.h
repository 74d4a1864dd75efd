#pragma once
#include <cstdint>
#include <string_view>

// Code page of an encoding name as found in declarations and byte-order marks: 0 for an
// empty name, -1 for an unknown one.
int LookupCodePage(std::wstring_view name);

struct ByteOrderMark {
    std::string_view bytes;
    const wchar_t* encoding;
    std::uint32_t docFlag;
};

// In detection order.
extern const ByteOrderMark kByteOrderMarks[3];
