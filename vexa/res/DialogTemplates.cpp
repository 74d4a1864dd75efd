#include "vexa/res/DialogTemplates.h"

#include "vexa/res/Images.h"
#include "vexa/res/resource.h"

#include <vector>

namespace {

using platform::ControlKind;
using platform::DialogTemplate;

std::vector<DialogTemplate> BuildTemplates()
{
    return {
        {IDD_DOWNLOAD, L"下载文件", 323, 59,
         {{IDC_PROGRESS_TEXT, ControlKind::Text, {12, 9, 252, 9}, L"正在下载文件,请稍后.."},
          {IDC_DOWNLOAD_PROGRESS, ControlKind::ProgressBar, {12, 20, 301, 14}, L""},
          {IDC_CANCEL, ControlKind::Button, {264, 39, 50, 14}, L"取消"}}},
        {IDD_INSTALL, L"自动更新", 332, 63,
         {{IDC_INSTALL_PROGRESS, ControlKind::ProgressBar, {12, 25, 309, 14}, L""},
          {IDC_CANCEL, ControlKind::Button, {272, 43, 50, 14}, L"取消"},
          {IDC_PROGRESS_TEXT, ControlKind::Text, {12, 14, 252, 9}, L"正在安装更新,请稍后.."}}},
        {IDD_DOWNLOAD_FILES, L"下载文件", 302, 98,
         {{IDCANCEL, ControlKind::Button, {245, 81, 50, 14}, L"取消"},
          {IDC_TOTAL_PROGRESS, ControlKind::ProgressBar, {7, 57, 287, 14}, L""},
          {IDC_FILE_PROGRESS, ControlKind::ProgressBar, {7, 20, 287, 14}, L""},
          {IDC_FILE_NAME, ControlKind::Text, {7, 46, 106, 8}, L"已下载..."},
          {IDC_FILE_PERCENT, ControlKind::Text, {8, 8, 145, 8}, L"正在下载..."}}},
        {IDD_SPLASH, L"", 253, 87, {{IDC_SPLASH_PICTURE, ControlKind::Picture, {0, 0, 253, 86}, L"", SplashBitmapImage()}}},
    };
}

}  // namespace

const platform::DialogTemplate& LoadDialogTemplate(int dialogId)
{
    static const std::vector<DialogTemplate> templates = BuildTemplates();
    static const DialogTemplate none;
    for (const DialogTemplate& dialog : templates) {
        if (dialog.id == dialogId)
            return dialog;
    }
    return none;
}
