#include "SteadyClock.h"

#include <chrono>
#include <thread>

namespace vantrel {

std::uint32_t SteadyClock::NowMs() {
    using namespace std::chrono;
    return std::uint32_t(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyClock::Sleep(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace vantrel
