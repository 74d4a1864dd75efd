#include "platform/dialog_thread.h"

#include <future>
#include <memory>

namespace platform {

CDialogThread::~CDialogThread()
{
    WindowHandle dialog = 0;
    {
        std::lock_guard hold(m_lock);
        m_closing = true;
        dialog = m_dialog;
    }
    DestroyDialog(dialog);
    m_thread.Join();
}

// Waiting for the dialog to open costs a few milliseconds and means the caller's first
// message never goes to a dialog that does not exist yet, where it would be lost (a
// lost close would leave the dialog up until the process ends).
bool CDialogThread::Start(const DialogTemplate& dialogTemplate, DialogProcedure procedure)
{
    const auto opened = std::make_shared<std::promise<void>>();
    std::future<void> open = opened->get_future();
    const bool started = m_thread.Start([this, dialogTemplate, procedure = std::move(procedure), opened] {
        RunModalDialog(dialogTemplate, [this, &procedure, &opened](WindowHandle dialog, DialogMessage message, int commandId) {
            if (message != DialogMessage::Init)
                return procedure(dialog, message, commandId);
            Opened(dialog);
            const bool handled = procedure(dialog, message, commandId);
            opened->set_value();
            return handled;
        });
    });
    if (started)
        open.wait();
    return started;
}

void CDialogThread::Wait()
{
    m_thread.Join();
}

// A dialog that opens while its owner is going away is taken down at once.
void CDialogThread::Opened(WindowHandle dialog)
{
    std::lock_guard hold(m_lock);
    m_dialog = dialog;
    if (m_closing)
        DestroyDialog(dialog);
}

}  // namespace platform
