#pragma once
#include <string>

#include "cquill.h"

namespace test_server {

// A message written as comma-separated items, e.g. "tid=1,seq=7,1001:4142,1002*300":
//   version=N chain=N tid=N seq=N     header values (decimal, or hexadecimal with 0x)
//   compress=never|large|always       the compress flag (default never)
//   PID:HEX                           a field with these body bytes (HEX may be empty)
//   PID*N                             a field of N body bytes counting 00, 01, ... FF, 00, ...
// Throws std::invalid_argument on anything else.
varo::Message ParseMessage(const std::string& text);

// "4142" -> "AB"; throws std::invalid_argument on an odd length or a non-digit.
std::string ParseHex(const std::string& hex);
// "AB" -> "4142"
std::string FormatHex(const std::string& bytes);

// A whole decimal or 0x-hexadecimal number no larger than `maximum`.
unsigned long ParseNumber(const std::string& text, unsigned long maximum);

}  // namespace test_server
