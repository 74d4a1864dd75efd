#include "platform/dialog_thread.h"

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

bool CDialogThread::Start(const DialogTemplate& dialogTemplate, DialogProcedure procedure)
{
    return m_thread.Start([this, dialogTemplate, procedure = std::move(procedure)] {
        RunModalDialog(dialogTemplate, [this, &procedure](WindowHandle dialog, DialogMessage message, int commandId) {
            if (message == DialogMessage::Init)
                Opened(dialog);
            return procedure(dialog, message, commandId);
        });
    });
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
