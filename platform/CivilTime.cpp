#include "platform/CivilTime.h"

namespace qem {

// The day counts follow the era arithmetic of the Gregorian 400-year cycle (146097 days), with
// the year starting on 1 March so that the leap day is its last.

long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

CivilDate CivilFromDays(long long z) {
    z += 719468;  // from 01.03.0000
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;                                       // [0, 146096]
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // [0, 365], from 1 March
    const long long mp = (5 * doy + 2) / 153;                                     // [0, 11], 0 = March
    CivilDate date;
    date.day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
    date.month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
    date.year = yoe + era * 400 + (date.month <= 2);
    return date;
}

int DayOfYear(const CivilDate& date) {
    return static_cast<int>(DaysFromCivil(date.year, date.month, date.day) - DaysFromCivil(date.year, 1, 1) + 1);
}

bool IsValidDate(long long y, unsigned m, unsigned d) {
    if (m < 1 || m > 12 || d < 1) return false;
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

}  // namespace qem
