#include "platform/dialog.h"

#include "platform/dialog_view.h"
#include "platform/ui.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace platform {

namespace {

// A progress bar starts as the common control does: range 0 to 100, step 10.
constexpr int kDefaultStep = 10;

struct ControlState {
    ControlView view;
    int step = kDefaultStep;
};

struct QueuedCommand {
    std::uint64_t sequence = 0;
    int commandId = 0;
};

// One live dialog. Its procedure runs on the thread that runs the dialog; the rest is
// shared with every thread that sends to it, under the lock.
struct LiveDialog {
    LiveDialog(const DialogTemplate& dialogTemplate, const DialogProcedure& dialogProcedure)
        : procedure(dialogProcedure), thread(std::this_thread::get_id())
    {
        header.id = dialogTemplate.id;
        header.title = dialogTemplate.title;
        for (const ControlTemplate& control : dialogTemplate.controls)
            controls.push_back({ControlView{control.id, control.kind, control.rect, control.text, 0, 100, 0, control.image}});
    }

    void End(int result)
    {
        ended = true;
        endResult = result;
        changed.notify_all();
    }

    bool OnOwnThread() const { return std::this_thread::get_id() == thread; }

    DialogView View() const
    {
        DialogView view = header;
        for (const ControlState& control : controls)
            view.controls.push_back(control.view);
        return view;
    }

    const DialogProcedure procedure;
    const std::thread::id thread;
    std::mutex lock;
    std::condition_variable changed;
    // Handle, id and title; the controls are kept apart with their steps.
    DialogView header;
    std::vector<ControlState> controls;
    bool ended = false;
    int endResult = 0;
    std::deque<QueuedCommand> queue;
    std::uint64_t nextSequence = 1;
    std::uint64_t handledSequence = 0;
};

// A handle is the dialog's serial number in the high half and its control's index + 1
// in the low half (0 = the dialog itself).
WindowHandle MakeHandle(std::uint32_t serial, std::uint32_t slot)
{
    return (static_cast<WindowHandle>(serial) << 32) | slot;
}

std::uint32_t SerialOf(WindowHandle handle) { return static_cast<std::uint32_t>(handle >> 32); }
std::uint32_t SlotOf(WindowHandle handle) { return static_cast<std::uint32_t>(handle); }

class CDialogRegistry {
public:
    WindowHandle Add(const std::shared_ptr<LiveDialog>& window)
    {
        std::lock_guard hold(m_lock);
        const std::uint32_t serial = m_nextSerial++;
        m_dialogs[serial] = window;
        return MakeHandle(serial, 0);
    }

    void Remove(WindowHandle dialog)
    {
        std::lock_guard hold(m_lock);
        m_dialogs.erase(SerialOf(dialog));
    }

    std::shared_ptr<LiveDialog> Find(WindowHandle handle)
    {
        std::lock_guard hold(m_lock);
        const auto found = m_dialogs.find(SerialOf(handle));
        return found == m_dialogs.end() ? nullptr : found->second;
    }

private:
    std::mutex m_lock;
    std::unordered_map<std::uint32_t, std::shared_ptr<LiveDialog>> m_dialogs;
    std::uint32_t m_nextSerial = 1;
};

// Never destroyed: a dialog thread may still run while the process ends.
CDialogRegistry& Registry()
{
    static CDialogRegistry* registry = new CDialogRegistry;
    return *registry;
}

// The live dialog of a handle, locked, and the control the handle names (null for the
// dialog itself or a slot it does not have).
class CLockedWindow {
public:
    explicit CLockedWindow(WindowHandle handle) : m_window(handle ? Registry().Find(handle) : nullptr)
    {
        if (!m_window)
            return;
        m_hold = std::unique_lock(m_window->lock);
        if (m_window->ended) {
            m_hold.unlock();
            m_window.reset();
            return;
        }
        const std::uint32_t slot = SlotOf(handle);
        if (slot != 0 && slot <= m_window->controls.size())
            m_control = &m_window->controls[slot - 1];
    }

    explicit operator bool() const { return m_window != nullptr; }
    LiveDialog& Window() { return *m_window; }
    ControlState* Control() { return m_control; }
    ControlState* Bar() { return m_control && m_control->view.kind == ControlKind::ProgressBar ? m_control : nullptr; }
    void Unlock() { m_hold.unlock(); }

private:
    std::shared_ptr<LiveDialog> m_window;
    std::unique_lock<std::mutex> m_hold;
    ControlState* m_control = nullptr;
};

// Changes a bar's position and tells the backend, after the lock is released, when it
// really moved.
void MoveBar(CLockedWindow& locked, ControlState& bar, int position)
{
    if (bar.view.position == position)
        return;
    bar.view.position = position;
    const DialogView view = locked.Window().View();
    const int id = bar.view.id;
    locked.Unlock();
    CurrentUi().BarMoved(view, id);
}

int HandleCommands(LiveDialog& window, WindowHandle dialog)
{
    std::unique_lock hold(window.lock);
    for (;;) {
        window.changed.wait(hold, [&] { return window.ended || !window.queue.empty(); });
        if (window.ended)
            break;
        const QueuedCommand command = window.queue.front();
        window.queue.pop_front();
        hold.unlock();
        window.procedure(dialog, DialogMessage::Command, command.commandId);
        hold.lock();
        window.handledSequence = command.sequence;
        window.changed.notify_all();
    }
    // Commands still waiting die with the dialog; their senders stop waiting.
    window.queue.clear();
    window.handledSequence = window.nextSequence - 1;
    window.changed.notify_all();
    return window.endResult;
}

}  // namespace

int RunModalDialog(const DialogTemplate& dialogTemplate, const DialogProcedure& procedure)
{
    const auto window = std::make_shared<LiveDialog>(dialogTemplate, procedure);
    const WindowHandle dialog = Registry().Add(window);
    window->header.handle = dialog;
    CurrentUi().DialogOpened(window->View());
    procedure(dialog, DialogMessage::Init, 0);
    const int result = HandleCommands(*window, dialog);
    Registry().Remove(dialog);
    return result;
}

void EndDialog(WindowHandle dialog, int result)
{
    CLockedWindow locked(dialog);
    if (!locked)
        return;
    LiveDialog& window = locked.Window();
    window.End(result);
    const DialogView view = window.View();
    locked.Unlock();
    CurrentUi().DialogEnded(view, result);
}

void DestroyDialog(WindowHandle dialog)
{
    if (CLockedWindow locked(dialog); locked)
        locked.Window().End(0);
}

bool DialogExists(WindowHandle dialog)
{
    return static_cast<bool>(CLockedWindow(dialog));
}

WindowHandle DialogItem(WindowHandle dialog, int controlId)
{
    CLockedWindow locked(dialog);
    if (!locked)
        return 0;
    const std::vector<ControlState>& controls = locked.Window().controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].view.id == controlId)
            return MakeHandle(SerialOf(dialog), static_cast<std::uint32_t>(i + 1));
    }
    return 0;
}

int DialogTemplateId(WindowHandle window)
{
    CLockedWindow locked(window);
    return locked ? locked.Window().header.id : 0;
}

void SendDialogCommand(WindowHandle dialog, int commandId)
{
    CLockedWindow locked(dialog);
    if (!locked)
        return;
    LiveDialog& window = locked.Window();
    if (window.OnOwnThread()) {
        // As a message sent within one thread: the procedure runs at once.
        locked.Unlock();
        window.procedure(dialog, DialogMessage::Command, commandId);
        return;
    }
    const std::uint64_t sequence = window.nextSequence++;
    window.queue.push_back({sequence, commandId});
    window.changed.notify_all();
    locked.Unlock();
    std::unique_lock hold(window.lock);
    window.changed.wait(hold, [&] { return window.handledSequence >= sequence; });
}

void PostDialogCommand(WindowHandle dialog, int commandId)
{
    CLockedWindow locked(dialog);
    if (!locked)
        return;
    LiveDialog& window = locked.Window();
    window.queue.push_back({window.nextSequence++, commandId});
    window.changed.notify_all();
}

void PressDialogButton(WindowHandle dialog, int buttonId)
{
    PostDialogCommand(dialog, buttonId);
}

void SetBarRange(WindowHandle bar, int low, int high)
{
    CLockedWindow locked(bar);
    ControlState* control = locked ? locked.Bar() : nullptr;
    if (!control)
        return;
    control->view.low = low;
    control->view.high = high;
    MoveBar(locked, *control, std::clamp(control->view.position, low, std::max(low, high)));
}

void SetBarStep(WindowHandle bar, int step)
{
    CLockedWindow locked(bar);
    if (ControlState* control = locked ? locked.Bar() : nullptr)
        control->step = step;
}

void StepBar(WindowHandle bar)
{
    CLockedWindow locked(bar);
    ControlState* control = locked ? locked.Bar() : nullptr;
    if (!control)
        return;
    const long long moved = static_cast<long long>(control->view.position) + control->step;
    const bool inRange = moved >= control->view.low && moved <= control->view.high;
    MoveBar(locked, *control, inRange ? static_cast<int>(moved) : control->view.low);
}

int BarPosition(WindowHandle bar)
{
    CLockedWindow locked(bar);
    const ControlState* control = locked ? locked.Bar() : nullptr;
    return control ? control->view.position : 0;
}

void SetControlText(WindowHandle handle, const std::wstring& text)
{
    CLockedWindow locked(handle);
    ControlState* control = locked ? locked.Control() : nullptr;
    if (!control || control->view.text == text)
        return;
    control->view.text = text;
    const DialogView view = locked.Window().View();
    const int id = control->view.id;
    locked.Unlock();
    CurrentUi().TextChanged(view, id);
}

std::wstring ControlText(WindowHandle handle)
{
    CLockedWindow locked(handle);
    const ControlState* control = locked ? locked.Control() : nullptr;
    return control ? control->view.text : std::wstring();
}

}  // namespace platform
