#include "platform/gtk/gtk_thread.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <future>
#include <thread>

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

// The loop's thread is never joined: the backend lives until the process ends.
bool CGtkThread::Start(std::string& failure)
{
    std::promise<bool> opened;
    std::future<bool> result = opened.get_future();
    std::thread([&opened] {
        const bool ok = gtk_init_check(nullptr, nullptr);
        opened.set_value(ok);
        if (ok)
            gtk_main();
    }).detach();
    if (result.get())
        return true;
    failure = "cannot open display " + DisplayName();
    return false;
}

void CGtkThread::Invoke(std::function<void()> task)
{
    g_main_context_invoke_full(nullptr, G_PRIORITY_DEFAULT_IDLE, RunTask, new std::function<void()>(std::move(task)), DeleteTask);
}

}  // namespace platform::gtk
