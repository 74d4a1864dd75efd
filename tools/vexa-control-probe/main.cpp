#include "platform/locale.h"
#include "platform/text.h"
#include "vexa/control/UpdateLog.h"

// Each argument becomes one log line; without arguments nothing is logged.
int main(int argc, char** argv)
{
    platform::SetChineseLocale();
    for (int i = 1; i < argc; ++i)
        WriteLog(L"%s", platform::WideFromAnsi(argv[i]).c_str());
    return 0;
}
