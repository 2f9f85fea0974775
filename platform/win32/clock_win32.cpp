#include <windows.h>

#include "platform/clock.h"

namespace platform {

LocalTime LocalNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  LocalTime out;
  out.year = t.wYear;
  out.month = t.wMonth;
  out.day = t.wDay;
  out.hour = t.wHour;
  out.minute = t.wMinute;
  out.second = t.wSecond;
  return out;
}

}  // namespace platform
