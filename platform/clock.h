#pragma once
// The local date and time (GetLocalTime).

namespace platform {

struct LocalTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

LocalTime LocalNow();

}  // namespace platform
