#include "platform/testing/dialog_driver.h"

#include "platform/clock.h"
#include "platform/files.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <vector>

namespace platform::testing {

namespace {

constexpr unsigned kPollMilliseconds = 20;

HWND Native(ForeignWindow window)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

ForeignWindow Foreign(HWND window)
{
    return static_cast<ForeignWindow>(reinterpret_cast<std::uintptr_t>(window));
}

// Bottom-up rows of three bytes each, padded to four.
bool WriteBmp(const std::wstring& path, int width, int height, const std::vector<unsigned char>& pixels)
{
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, static_cast<DWORD>(pixels.size()), 0, 0, 0, 0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::FILE* out = OpenFileStream(path, "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
                         std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

ForeignWindow WaitForWindow(const std::wstring& title, unsigned timeoutMilliseconds)
{
    const std::uint32_t start = TickCount();
    for (;;) {
        HWND window = FindWindowW(nullptr, title.c_str());
        if (window && IsWindowVisible(window))
            return Foreign(window);
        if (TickCount() - start >= timeoutMilliseconds)
            return 0;
        SleepMilliseconds(kPollMilliseconds);
    }
}

bool WindowAlive(ForeignWindow window)
{
    return IsWindow(Native(window)) && IsWindowVisible(Native(window));
}

ForeignWindow WindowOwner(ForeignWindow window)
{
    return Foreign(GetWindow(Native(window), GW_OWNER));
}

std::wstring WindowTitle(ForeignWindow window)
{
    wchar_t text[256] = {};
    GetWindowTextW(Native(window), text, 256);
    return text;
}

void WindowSize(ForeignWindow window, int& width, int& height)
{
    RECT rect{};
    GetWindowRect(Native(window), &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
}

std::wstring ItemText(ForeignWindow dialog, int controlId)
{
    wchar_t text[256] = {};
    GetDlgItemTextW(Native(dialog), controlId, text, 256);
    return text;
}

int ItemBarPosition(ForeignWindow dialog, int controlId)
{
    return static_cast<int>(SendDlgItemMessageW(Native(dialog), controlId, PBM_GETPOS, 0, 0));
}

void ClickItem(ForeignWindow dialog, int controlId)
{
    PostMessageW(GetDlgItem(Native(dialog), controlId), BM_CLICK, 0, 0);
}

bool SaveWindowPicture(ForeignWindow window, const std::wstring& path)
{
    RECT rect{};
    if (!GetWindowRect(Native(window), &rect))
        return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<unsigned char> pixels(static_cast<std::size_t>((width * 3 + 3) / 4 * 4) * height);
    const bool read = GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return read && WriteBmp(path, width, height, pixels);
}

}  // namespace platform::testing
