// The local clock of the operating system.
#pragma once
#include "platform/clock.h"

namespace pentrill {

class SystemClock : public Clock {
 public:
  TimePoint now() override;
};

}  // namespace pentrill
