#pragma once
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace platform::gtk {

// The toolkit's main loop on a thread of its own. Every toolkit call of the backend
// runs there, handed over through the loop's own cross-thread queue.
class CGtkThread {
public:
    // Opens the display the environment names and starts the loop; false with the
    // reason when the display cannot be opened.
    bool Start(std::string& failure);
    // Runs task on the loop's thread, after every task handed over before it. Tasks
    // come after the toolkit's input and drawing, so a busy transfer never starves
    // the windows. Once the loop has stopped, tasks are dropped.
    void Invoke(std::function<void()> task);
    // Ends the loop after the tasks already handed over and waits for its thread, so
    // that the process never ends under a window being drawn.
    void Stop();

private:
    void Queue(std::function<void()> task);

    std::thread m_loop;
    // Held while a task is queued, so that none slips in after the loop has ended: an
    // unowned loop would run it at once on the caller's thread.
    std::mutex m_lock;
    bool m_stopped = false;
};

}  // namespace platform::gtk
