#pragma once
#include <functional>
#include <string>

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
    // the windows.
    void Invoke(std::function<void()> task);
};

}  // namespace platform::gtk
