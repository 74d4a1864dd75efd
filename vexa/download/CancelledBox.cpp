#include "vexa/download/CancelledBox.h"

#include "platform/message_box.h"

void ShowCancelledBox()
{
    platform::ShowMessageBox(L"已取消下载", L"下载提示", platform::kBoxSystemModal);
}
