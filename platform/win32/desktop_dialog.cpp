#include "platform/win32/desktop_dialog.h"

#include "platform/win32/program_icon.h"

#include <commctrl.h>

namespace platform::win32 {

namespace {

// Posted to a dialog window to end it on its own thread, where EndDialog must run.
constexpr UINT kEndMessage = WM_APP + 1;
// Corner ellipse of the splash's rounded region.
constexpr int kSplashCorner = 20;

void CentreInWorkArea(HWND window)
{
    RECT area{};
    RECT rect{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The splash has no frame: its corners are cut round, the region belongs to the window.
void RoundCorners(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    SetWindowRgn(window, CreateRoundRectRgn(rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1, kSplashCorner, kSplashCorner), TRUE);
}

bool HasPicture(const DialogView& view)
{
    for (const ControlView& control : view.controls) {
        if (control.kind == ControlKind::Picture)
            return true;
    }
    return false;
}

// The button Escape and closing the window press: the dialog's only button.
int ButtonOf(const DialogView& view)
{
    for (const ControlView& control : view.controls) {
        if (control.kind == ControlKind::Button)
            return control.id;
    }
    return 0;
}

}  // namespace

CDesktopDialog::CDesktopDialog(const DialogView& view) : m_view(view), m_opened(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    m_thread = std::thread([this] {
        const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_view.id), nullptr, Procedure,
                                               reinterpret_cast<LPARAM>(this));
        if (result == -1 || result == 0)
            SetEvent(m_opened);
    });
    WaitForSingleObject(m_opened, INFINITE);
}

CDesktopDialog::~CDesktopDialog()
{
    if (m_window)
        PostMessageW(m_window, kEndMessage, 0, 0);
    m_thread.join();
    CloseHandle(m_opened);
}

void CDesktopDialog::Show(const DialogView& view, int controlId) const
{
    const ControlView* control = view.Control(controlId);
    if (!m_window || !control)
        return;
    if (control->kind == ControlKind::ProgressBar) {
        SendDlgItemMessageW(m_window, controlId, PBM_SETRANGE32, control->low, control->high);
        SendDlgItemMessageW(m_window, controlId, PBM_SETPOS, control->position, 0);
    } else if (control->kind != ControlKind::Picture) {
        SetDlgItemTextW(m_window, controlId, control->text.c_str());
    }
}

void CDesktopDialog::Opened(HWND window)
{
    m_window = window;
    for (const ControlView& control : m_view.controls)
        Show(m_view, control.id);
    CentreInWorkArea(window);
    if (HasPicture(m_view))
        RoundCorners(window);
    ShowProgramIcon(window);
    SetEvent(m_opened);
}

void CDesktopDialog::Press(int commandId) const
{
    const int button = commandId == IDCANCEL ? ButtonOf(m_view) : commandId;
    if (button != 0 && m_view.Control(button) && m_view.Control(button)->kind == ControlKind::Button)
        PressDialogButton(m_view.handle, button);
}

INT_PTR CALLBACK CDesktopDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* dialog = reinterpret_cast<CDesktopDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CDesktopDialog*>(lParam)->Opened(window);
        return TRUE;
    case WM_COMMAND:
        if (dialog && HIWORD(wParam) == BN_CLICKED)
            dialog->Press(LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        if (dialog)
            dialog->Press(IDCANCEL);
        return TRUE;
    case kEndMessage:
        EndDialog(window, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace platform::win32
