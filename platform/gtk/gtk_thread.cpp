#include "platform/gtk/gtk_thread.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <future>

namespace platform::gtk {

namespace {

gboolean RunTask(gpointer task)
{
    (*static_cast<std::function<void()>*>(task))();
    return G_SOURCE_REMOVE;
}

void DeleteTask(gpointer task)
{
    delete static_cast<std::function<void()>*>(task);
}

std::string DisplayName()
{
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        if (const char* value = std::getenv(name); value && *value)
            return value;
    }
    return "(none)";
}

}  // namespace

// The loop's thread owns the loop before Start returns, so that a task handed over
// at once is queued for it rather than run on the caller's thread.
bool CGtkThread::Start(std::string& failure)
{
    std::promise<bool> opened;
    std::future<bool> result = opened.get_future();
    m_loop = std::thread([&opened] {
        const bool ok = gtk_init_check(nullptr, nullptr) && g_main_context_acquire(nullptr);
        opened.set_value(ok);
        if (ok)
            gtk_main();
    });
    if (result.get())
        return true;
    m_loop.join();
    failure = "cannot open display " + DisplayName();
    return false;
}

void CGtkThread::Invoke(std::function<void()> task)
{
    std::lock_guard hold(m_lock);
    if (!m_stopped)
        Queue(std::move(task));
}

void CGtkThread::Stop()
{
    {
        std::lock_guard hold(m_lock);
        if (m_stopped || !m_loop.joinable())
            return;
        m_stopped = true;
        Queue(gtk_main_quit);
    }
    if (m_loop.get_id() != std::this_thread::get_id())
        m_loop.join();
}

// Always queued, never run in place, even from the loop's own thread: tasks keep
// the order they were handed over in.
void CGtkThread::Queue(std::function<void()> task)
{
    GSource* source = g_idle_source_new();
    g_source_set_callback(source, RunTask, new std::function<void()>(std::move(task)), DeleteTask);
    g_source_attach(source, nullptr);
    g_source_unref(source);
}

}  // namespace platform::gtk
