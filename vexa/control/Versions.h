#pragma once
#include "vexa/control/UpdateTypes.h"

#include <cstdint>
#include <string>

// Compares two versions of three or four dot-separated numbers. result becomes 1
// when a is newer, -1 when older, and is left alone when they are equal. False,
// result untouched, when either version is not valid.
bool CompareVersion(const std::wstring& a, const std::wstring& b, int& result);

// The runtime's decimal conversion: leading white space and a sign, digits up to the
// first non-digit, 0 without digits, clamped to the 32-bit range.
std::int32_t VersionNumber(const std::wstring& piece);

// Forced when the published minimum is above the installed version, optional when
// the published version is newer, otherwise none. False (after a log line) when a
// version string is not valid.
bool DecideUpdateType(UpdateType& type);
