#pragma once
// The real clock: the monotonic system clock and a sleeping pause.

#include "Link.h"

namespace vantrel {

class SteadyClock final : public Clock {
public:
    std::uint32_t NowMs() override;
    void Sleep(std::uint32_t ms) override;
};

}  // namespace vantrel
