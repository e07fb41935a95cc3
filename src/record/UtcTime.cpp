#include "record/UtcTime.h"

#include <chrono>

#include "common/Text.h"

namespace cdflash {

namespace {

struct Civil {
  int year;
  unsigned month, day, hour, minute, second, millisecond;
};

// Times before 1970 do not occur on a machine with a working clock; one
// that shows them is read as 1970.
Civil CivilOf(std::int64_t ms) {
  using namespace std::chrono;
  const sys_time<milliseconds> time{milliseconds(ms < 0 ? 0 : ms)};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  return {static_cast<int>(date.year()),
          static_cast<unsigned>(date.month()),
          static_cast<unsigned>(date.day()),
          static_cast<unsigned>(clock.hours().count()),
          static_cast<unsigned>(clock.minutes().count()),
          static_cast<unsigned>(clock.seconds().count()),
          static_cast<unsigned>(clock.subseconds().count())};
}

}  // namespace

std::string IsoUtcTime(std::int64_t ms) {
  const Civil c = CivilOf(ms);
  return Format("%04d-%02u-%02uT%02u:%02u:%02u.%03uZ", c.year, c.month, c.day, c.hour, c.minute, c.second,
                c.millisecond);
}

std::string CompactUtcTime(std::int64_t ms) {
  const Civil c = CivilOf(ms);
  return Format("%04d%02u%02u-%02u%02u%02u", c.year, c.month, c.day, c.hour, c.minute, c.second);
}

std::int64_t WallClockMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace cdflash
