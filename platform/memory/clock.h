#pragma once
// A clock that stands still until a test moves it.
#include "agendor/core/locale.h"

namespace agendor::memory {

class FixedClock final : public Clock {
public:
    explicit FixedClock(DateTime now) : now_(now) {}
    DateTime Now() const override { return now_; }
    void SetNow(DateTime now) { now_ = now; }

private:
    DateTime now_;
};

} // namespace agendor::memory
