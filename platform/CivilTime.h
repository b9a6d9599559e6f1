#pragma once
// Civil dates of the proleptic Gregorian calendar counted in days from 01.01.1970, and times
// in seconds from 1970-01-01 00:00 UTC.
#include <cstdint>

namespace qem {

struct CivilDate {
    long long year = 1970;
    unsigned month = 1;  // 1..12
    unsigned day = 1;    // 1..31
};

// Days from 01.01.1970 to the date.
long long DaysFromCivil(long long y, unsigned m, unsigned d);

// The date of a day counted from 01.01.1970.
CivilDate CivilFromDays(long long z);

// Day of the year, 1 (1 January) ... 366.
int DayOfYear(const CivilDate& date);

// Whether the date exists (month 1..12, day within its month).
bool IsValidDate(long long y, unsigned m, unsigned d);

// Seconds from 1970-01-01 00:00 UTC.
using UnixSeconds = std::int64_t;

}  // namespace qem
