#pragma once

// The verdict of an update check. The numbers cross the process boundary as the
// wParam of WM_UPDATE_RESULT, so they never change.
enum UpdateType {
    UPDATE_OPTIONAL = 0,
    UPDATE_FORCED = 1,
    UPDATE_NONE = 2,
    UPDATE_CHECK_FAILED = 3,
};

// How the published version is applied.
enum UpdateMethodType {
    METHOD_FILELIST = 0,
    METHOD_INSTALLER = 1,
    METHOD_INVALID = 2,
};

// Posted to the client's window with the check result (WM_USER + 9).
constexpr unsigned WM_UPDATE_RESULT = 0x0400 + 9;
