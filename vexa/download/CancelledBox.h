#pragma once

// Tells the user that the download stopped because they cancelled it: "已取消下载",
// title "下载提示", no owner, system modal.
void ShowCancelledBox();
