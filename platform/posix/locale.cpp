#include "platform/locale.h"

#include <clocale>

namespace platform {

std::string SetChineseLocale()
{
    for (const char* name : {"zh_CN.GB18030", "zh_CN.GBK", "zh_CN.UTF-8", "C.UTF-8"})
        if (std::setlocale(LC_ALL, name))
            return name;
    return std::string();
}

}  // namespace platform
