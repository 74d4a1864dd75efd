#include "platform/ui_console.h"

#include "platform/dialog_view.h"
#include "platform/message_box.h"
#include "platform/interrupt_watch.h"
#include "platform/text.h"


#include <algorithm>
#include <cctype>
#include <iostream>
#include <string>
#include <vector>

namespace platform {

namespace {

constexpr int kBarCells = 30;

const char* Prompt(unsigned style)
{
    if (!AnswerFits(style, kAnswerCancel) && !AnswerFits(style, kAnswerYes))
        return "[Enter] ";
    return AnswerFits(style, kAnswerYes) ? "[y/n] " : "[ok/cancel] ";
}

// Accepts the whole word or its first letter.
int ParseReply(const std::string& reply, unsigned style)
{
    for (int answer : {kAnswerOk, kAnswerCancel, kAnswerYes, kAnswerNo}) {
        const std::string name = AnswerName(answer);
        if (AnswerFits(style, answer) && !reply.empty() &&
            (AnswerFromName(reply) == answer || (reply.size() == 1 && std::tolower(static_cast<unsigned char>(reply[0])) == name[0])))
            return answer;
    }
    return 0;
}

int Percent(const ControlView& bar)
{
    if (bar.high <= bar.low)
        return 0;
    return static_cast<int>((static_cast<long long>(bar.position) - bar.low) * 100 / (static_cast<long long>(bar.high) - bar.low));
}

// The controls as they stand on the dialog, top to bottom, left to right.
std::vector<const ControlView*> InReadingOrder(const DialogView& dialog)
{
    std::vector<const ControlView*> controls;
    for (const ControlView& control : dialog.controls)
        controls.push_back(&control);
    std::stable_sort(controls.begin(), controls.end(), [](const ControlView* a, const ControlView* b) {
        return a->rect.y != b->rect.y ? a->rect.y < b->rect.y : a->rect.x < b->rect.x;
    });
    return controls;
}

std::string BarLine(const ControlView& bar)
{
    const int percent = std::clamp(Percent(bar), 0, 100);
    const int filled = percent * kBarCells / 100;
    return "[" + std::string(filled, '#') + std::string(kBarCells - filled, '-') + "] " + std::to_string(percent) + "%";
}

// "#2 " for the second bar of a dialog with several, nothing for a dialog's only bar.
std::string BarNumber(const DialogView& dialog, int controlId)
{
    int number = 0;
    int bars = 0;
    for (const ControlView* control : InReadingOrder(dialog)) {
        if (control->kind != ControlKind::ProgressBar)
            continue;
        ++bars;
        if (control->id == controlId)
            number = bars;
    }
    return bars > 1 ? "#" + std::to_string(number) + " " : "";
}

std::vector<std::string> DialogLines(const DialogView& dialog)
{
    std::vector<std::string> lines;
    if (!dialog.title.empty())
        lines.push_back("== " + Utf8FromWide(dialog.title) + " ==");
    for (const ControlView* control : InReadingOrder(dialog)) {
        if (control->kind == ControlKind::Text)
            lines.push_back(Utf8FromWide(control->text));
        else if (control->kind == ControlKind::ProgressBar)
            lines.push_back(BarLine(*control));
        else if (control->kind == ControlKind::Button)
            lines.push_back("[" + Utf8FromWide(control->text) + "] Ctrl+C");
    }
    return lines;
}

}  // namespace

CConsoleUi::CConsoleUi() : CConsoleUi(std::cout, std::cin, StandardInputIsTerminal(), StandardOutputIsTerminal()) {}

CConsoleUi::CConsoleUi(std::ostream& out, std::istream& in, bool interactive, bool terminal)
    : m_out(out), m_in(in), m_interactive(interactive), m_terminal(terminal), m_watch(std::make_unique<CInterruptWatch>())
{
}

CConsoleUi::~CConsoleUi() = default;

// The question is read without holding the lock, so that a Ctrl+C meanwhile is seen
// (and ignored) instead of waiting behind it.
int CConsoleUi::ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, int)
{
    {
        std::lock_guard hold(m_lock);
        m_below = 0;
        m_out << "[" << Utf8FromWide(title) << "] " << Utf8FromWide(text) << std::endl;
        if (!m_interactive) {
            UiLog(L"无人可以回答[" + title + L"] " + text + L", 采用默认答案 " + WideFromUtf8(AnswerName(DefaultAnswer(style))));
            return DefaultAnswer(style);
        }
        m_asking = true;
    }
    const int answer = AskTerminal(style);
    std::lock_guard hold(m_lock);
    m_asking = false;
    return answer;
}

// An empty reply or the end of input is no answer: the box's default (No for a question).
int CConsoleUi::AskTerminal(unsigned style)
{
    for (;;) {
        m_out << Prompt(style) << std::flush;
        std::string reply;
        if (!std::getline(m_in, reply) || reply.empty())
            return DefaultAnswer(style);
        if (const int answer = ParseReply(reply, style))
            return answer;
    }
}

// Ctrl+C is taken over before the dialog shows, so it can never end the program while
// the user sees a Cancel button.
void CConsoleUi::DialogOpened(const DialogView& dialog)
{
    WatchInterrupts(dialog);
    std::lock_guard hold(m_lock);
    m_shown[dialog.handle] = {};
    if (m_terminal)
        Draw(dialog);
}

// The watch is stopped outside the lock: its thread may be waiting for the lock.
void CConsoleUi::DialogEnded(const DialogView& dialog, int)
{
    bool wasCancelTarget = false;
    {
        std::lock_guard hold(m_lock);
        m_shown.erase(dialog.handle);
        if (m_below == dialog.handle)
            m_below = 0;
        wasCancelTarget = m_cancelDialog == dialog.handle;
        if (wasCancelTarget)
            m_cancelDialog = 0;
    }
    if (wasCancelTarget) {
        std::lock_guard hold(m_watchLock);
        m_watch->Stop();
    }
}

void CConsoleUi::WatchInterrupts(const DialogView& dialog)
{
    const auto button = std::find_if(dialog.controls.begin(), dialog.controls.end(),
                                     [](const ControlView& control) { return control.kind == ControlKind::Button; });
    if (button == dialog.controls.end())
        return;
    {
        std::lock_guard hold(m_lock);
        m_cancelDialog = dialog.handle;
        m_cancelButton = button->id;
    }
    std::lock_guard hold(m_watchLock);
    if (!m_watch->Running())
        m_watch->Start([this] { return PressCancel(); });
}

// Declines when the dialog is gone (taken down without ending), so Ctrl+C then ends
// the program. Pressed while the question is open, it is ignored.
bool CConsoleUi::PressCancel()
{
    WindowHandle dialog = 0;
    int button = 0;
    {
        std::lock_guard hold(m_lock);
        if (m_asking)
            return true;
        dialog = m_cancelDialog;
        button = m_cancelButton;
    }
    if (!DialogExists(dialog))
        return false;
    PressDialogButton(dialog, button);
    return true;
}

void CConsoleUi::TextChanged(const DialogView& dialog, int)
{
    std::lock_guard hold(m_lock);
    if (m_terminal)
        Draw(dialog);
}

void CConsoleUi::BarMoved(const DialogView& dialog, int controlId)
{
    std::lock_guard hold(m_lock);
    if (m_terminal)
        Draw(dialog);
    else
        ReportTenths(dialog, controlId);
}

// Rewrites the dialog's block where it stands when nothing was printed below it since,
// else draws it anew underneath. Line wrapping is off while drawing: a line wider than
// the terminal is cut instead of taking two rows, so moving up by the line count
// always lands on the block's first line.
void CConsoleUi::Draw(const DialogView& dialog)
{
    const auto shown = m_shown.find(dialog.handle);
    if (shown == m_shown.end())
        return;
    if (m_below == dialog.handle && shown->second.lines > 0)
        m_out << "\x1b[" << shown->second.lines << "F";
    const std::vector<std::string> lines = DialogLines(dialog);
    m_out << "\x1b[?7l";
    for (const std::string& line : lines)
        m_out << "\x1b[2K" << line << "\n";
    m_out << "\x1b[?7h" << std::flush;
    shown->second.lines = static_cast<int>(lines.size());
    m_below = dialog.handle;
}

void CConsoleUi::ReportTenths(const DialogView& dialog, int controlId)
{
    const auto shown = m_shown.find(dialog.handle);
    const ControlView* bar = dialog.Control(controlId);
    if (shown == m_shown.end() || !bar)
        return;
    const int percent = Percent(*bar);
    int& tenth = shown->second.tenths[controlId];
    if (percent / 10 == tenth)
        return;
    tenth = percent / 10;
    m_out << Utf8FromWide(dialog.title) << " " << BarNumber(dialog, controlId) << percent << "%" << std::endl;
}

}  // namespace platform
