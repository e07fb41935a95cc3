#pragma once
// Wall-clock times of a run's record in UTC: the record's file names sort in
// the order the runs were made, whatever the time zone or summer time.

#include <cstdint>
#include <string>

namespace cdflash {

/// "2024-05-01T12:34:56.789Z" for `ms` milliseconds since 1970-01-01 UTC.
std::string IsoUtcTime(std::int64_t ms);

/// "20240501-123456" for the same.
std::string CompactUtcTime(std::int64_t ms);

/// Now, in milliseconds since 1970-01-01 UTC.
std::int64_t WallClockMs();

}  // namespace cdflash
