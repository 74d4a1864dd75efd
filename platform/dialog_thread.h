#pragma once
#include "platform/dialog.h"
#include "platform/threading.h"

#include <mutex>

namespace platform {

// One dialog run modally on a thread of its own.
class CDialogThread {
public:
    CDialogThread() = default;
    // A dialog still open then is taken down as by the end of the process: without a
    // result and without telling the user interface. The thread is joined.
    ~CDialogThread();
    CDialogThread(const CDialogThread&) = delete;
    CDialogThread& operator=(const CDialogThread&) = delete;

    // Returns once the dialog is open and its procedure has handled Init; false when
    // the system cannot create the thread.
    bool Start(const DialogTemplate& dialogTemplate, DialogProcedure procedure);
    // Returns once the dialog has ended and its thread has finished.
    void Wait();

private:
    void Opened(WindowHandle dialog);

    std::mutex m_lock;
    WindowHandle m_dialog = 0;
    bool m_closing = false;
    CSystemThread m_thread;
};

}  // namespace platform
