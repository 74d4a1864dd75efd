#pragma once
#include <string>
#include <string_view>

// Kind bits of AddResult: which attribute names the value and the first number, and
// whether the first entry of that name is updated instead of a new one appended.
constexpr unsigned XRK_COUNT = 0x1;
constexpr unsigned XRK_TYPE = 0x2;
constexpr unsigned XRK_N = 0x4;
constexpr unsigned XRK_ENCODING = 0x8;
constexpr unsigned XRK_LENGTH = 0x10;
constexpr unsigned XRK_UPDATE = 0x20;
constexpr unsigned XRK_MSG = 0x40;

constexpr long long XR_NO_NUMBER = -1;

// Appends one empty element to the report (a string of them, no line breaks) or, with
// XRK_UPDATE, sets attributes on the first element of that name. A report already longer
// than 999 characters is left alone. value null: no value attribute.
void AddResult(std::wstring& report, std::wstring_view entry, const wchar_t* value, unsigned kind,
               long long first = XR_NO_NUMBER, long long second = XR_NO_NUMBER);

// "file_error" for the last failed file operation: the system's text and error code.
void AddFileError(std::wstring& report, int errorCode);
