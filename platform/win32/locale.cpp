#include "platform/locale.h"

#include <clocale>

namespace platform {

// "chs" is the runtime's own name for Chinese (Simplified) with code page 936.
std::string SetChineseLocale()
{
    for (const char* name : {"chs", "Chinese_China.936", "C"})
        if (std::setlocale(LC_ALL, name))
            return name;
    return std::string();
}

}  // namespace platform
