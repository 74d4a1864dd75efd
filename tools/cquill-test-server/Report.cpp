#include "Report.h"

#include <iostream>
#include <mutex>

namespace test_server {

void Report(const std::string& line)
{
    static std::mutex lock;
    std::lock_guard guard(lock);
    std::cout << line << std::endl;
}

}  // namespace test_server
