#include "platform/gtk/desktop_ui.h"

#include "platform/gtk/desktop_box.h"

#include <cstdlib>
#include <future>

namespace platform::gtk {

namespace {

void SetDefaultIcon(std::string_view png)
{
    if (png.empty())
        return;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    if (gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(png.data()), png.size(), nullptr) &&
        gdk_pixbuf_loader_close(loader, nullptr))
        gtk_window_set_default_icon(gdk_pixbuf_loader_get_pixbuf(loader));
    else
        gdk_pixbuf_loader_close(loader, nullptr);
    g_object_unref(loader);
}

}  // namespace

CDesktopUi::CDesktopUi(const DesktopUiHost& host) : m_host(host) {}

bool CDesktopUi::Start(std::string& failure)
{
    if (!m_thread.Start(failure))
        return false;
    m_thread.Invoke([icon = m_host.icon] { SetDefaultIcon(icon); });
    return true;
}

// The asking thread waits for the answer; the dialog's own thread keeps running, so
// its window stays drawn and its bars stay where the pause left them.
int CDesktopUi::ShowMessageBox(const std::wstring& text, const std::wstring& title, unsigned style, int ownerDialogId)
{
    std::promise<int> answer;
    m_thread.Invoke([&] {
        ShowDesktopBox(text, title, style, OwnerWindow(ownerDialogId), [&answer](int given) { answer.set_value(given); });
    });
    return answer.get_future().get();
}

void CDesktopUi::Stop()
{
    m_thread.Stop();
}

void CDesktopUi::DialogOpened(const DialogView& dialog)
{
    m_thread.Invoke([this, dialog] { m_windows[dialog.handle] = std::make_unique<CDesktopWindow>(dialog, m_host.pressButton); });
}

void CDesktopUi::DialogEnded(const DialogView& dialog, int)
{
    m_thread.Invoke([this, handle = dialog.handle] { m_windows.erase(handle); });
}

void CDesktopUi::TextChanged(const DialogView& dialog, int)
{
    Changed(dialog);
}

void CDesktopUi::BarMoved(const DialogView& dialog, int)
{
    Changed(dialog);
}

void CDesktopUi::Changed(const DialogView& dialog)
{
    {
        std::lock_guard hold(m_lock);
        const bool queued = m_changed.count(dialog.handle) != 0;
        m_changed[dialog.handle] = dialog;
        if (queued)
            return;
    }
    m_thread.Invoke([this, handle = dialog.handle] {
        DialogView latest;
        {
            std::lock_guard hold(m_lock);
            latest = std::move(m_changed[handle]);
            m_changed.erase(handle);
        }
        if (const auto window = m_windows.find(handle); window != m_windows.end())
            window->second->Update(latest);
    });
}

GtkWindow* CDesktopUi::OwnerWindow(int templateId) const
{
    for (const auto& [handle, window] : m_windows) {
        if (templateId != 0 && window->TemplateId() == templateId)
            return window->Window();
    }
    return nullptr;
}

}  // namespace platform::gtk

namespace {

platform::gtk::CDesktopUi* g_started = nullptr;

// The backend itself outlives the program's end, since a dialog thread may still
// report to it; only its loop ends before the process does.
void StopStartedBackend()
{
    g_started->Stop();
}

}  // namespace

// The module's one entry point, looked up by name.
extern "C" __attribute__((visibility("default"))) platform::IUiBackend* VexaCreateDesktopUi(const platform::DesktopUiHost& host,
                                                                                             std::string& failure)
{
    auto* backend = new platform::gtk::CDesktopUi(host);
    if (!backend->Start(failure)) {
        delete backend;
        return nullptr;
    }
    g_started = backend;
    std::atexit(StopStartedBackend);
    return backend;
}
