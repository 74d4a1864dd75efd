#include "cquill/src/sdr/CAsynWokerSDR.h"

#include <chrono>
#include <thread>

namespace quill::sdr {

std::uint32_t CAsynWokerSDR::Work()
{
    sdr_.Run();
    while (!sdr_.IsStopped())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return 2;
}

}  // namespace quill::sdr
