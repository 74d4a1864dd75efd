#include "platform/win32/program_icon.h"

namespace platform::win32 {

namespace {

BOOL CALLBACK TakeFirst(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found)
{
    *reinterpret_cast<LPCWSTR*>(found) = name;
    return FALSE;
}

// The program has one icon; its id is the resource script's business.
LPCWSTR FirstIconName()
{
    static const LPCWSTR name = [] {
        LPCWSTR first = nullptr;
        EnumResourceNamesW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, TakeFirst, reinterpret_cast<LONG_PTR>(&first));
        return first;
    }();
    return name;
}

HICON LoadProgramIcon(int metricX, int metricY)
{
    const LPCWSTR name = FirstIconName();
    if (!name)
        return nullptr;
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, GetSystemMetrics(metricX), GetSystemMetrics(metricY), LR_SHARED));
}

template <typename Deliver>
void GiveIcons(HWND window, Deliver deliver)
{
    if (!window)
        return;
    if (HICON big = LoadProgramIcon(SM_CXICON, SM_CYICON))
        deliver(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HICON small = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON))
        deliver(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

}  // namespace

void ShowProgramIcon(HWND window)
{
    GiveIcons(window, SendMessageW);
}

// The console window belongs to the console host: a sent message would wait for that
// process, which may be busy starting up, and hold the program's start with it.
void PostProgramIcon(HWND window)
{
    GiveIcons(window, PostMessageW);
}

}  // namespace platform::win32
