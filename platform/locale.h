#pragma once
#include <string>

namespace platform {

// Sets the process locale for all categories to Chinese: on Windows the runtime's
// "chs" (code page 936); elsewhere the first the machine has of zh_CN.GB18030,
// zh_CN.GBK, zh_CN.UTF-8, else C.UTF-8. Returns the
// name it set, empty when none could be set.
std::string SetChineseLocale();

}  // namespace platform
