#pragma once
#include "vexa/control/UpdateTypes.h"

#include <string>

// Downloads the published "vexa.xml" into "tempDownload/" (a copy left by an
// earlier run is deleted first, so nothing is resumed onto it) and decides. On
// failure type becomes UPDATE_CHECK_FAILED and the result is false.
bool CheckForUpdate(UpdateType& type);

// The check mode: checks and posts WM_UPDATE_RESULT with the verdict to the window
// with exactly this title. Without such a window nothing is checked or posted.
void CheckUpdateForWindow(const std::wstring& windowName);
