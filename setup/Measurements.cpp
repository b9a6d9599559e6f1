#include "setup/Measurements.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "model/Format.h"
#include "model/TextEntry.h"
#include "setup/InitialConditions.h"

namespace qem {

const std::array<const char*, 10> kZamerGridHeader = {
    "№ пп",         "Дата",      "Время",     "Н до земли в ср.пролета,м", "Н Уровня моря ,м", "Ток, А", "Темп.провода",
    "Темп.воздуха", "Ветер,м/с", "Напр.ветра"};
const std::array<const char*, 3> kTwoPointGridHeader = {"Расстояние до замера", "Габарит замера",
                                                        "Высота над уровнем моря "};
const std::array<const char*, 4> kSkyConditionText = {"Ясно (1)", "Облачно (2)", "Пасмурно (3)",
                                                      "Вечернее или ночное время (4)"};

namespace {

// Time and the Single fields of a slot cleared; the sky condition stays.
void ClearZamer(TyZamer& z) {
    const Integer sky = z.Tzv;
    z = TyZamer{};
    z.Tzv = sky;
}

bool InList(int row, int count) { return row >= 1 && row <= count; }

// Whole days and milliseconds of the day of a date-time; false outside years 1..9999.
bool SplitDateTime(double time, std::chrono::year_month_day& ymd, long long& ms) {
    using namespace std::chrono;
    if (!std::isfinite(time) || time < -693593.0 || time >= 2958466.0) return false;
    long long total = std::llround(time * 86400000.0);  // to the millisecond, so 23:59:59.9996 rounds up
    long long day = total >= 0 ? total / 86400000 : -((-total + 86399999) / 86400000);
    ms = total - day * 86400000;
    ymd = year_month_day{sys_days{year{1899} / December / 30} + days{day}};
    return ymd.ok();
}

}  // namespace

int ZamerCount(const TySpan& span) {
    int n = 0;
    while (n < kMaxZamers && span.Zamer[n + 1].Time > kZamerUsedTime) ++n;
    return n;
}

std::string DateText(double time) {
    std::chrono::year_month_day ymd;
    long long ms = 0;
    if (!SplitDateTime(time, ymd, ms)) return "";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u.%02u.%04d", unsigned(ymd.day()), unsigned(ymd.month()), int(ymd.year()));
    return buf;
}

std::string TimeText(double time) {
    std::chrono::year_month_day ymd;
    long long ms = 0;
    if (!SplitDateTime(time, ymd, ms)) return "";
    const long long s = ms / 1000;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", s / 3600, (s / 60) % 60, s % 60);
    return buf;
}

std::string ZamerCellText(const TySpan& span, int row, int col) {
    if (row < 1 || row > kMaxZamers) return "";
    const TyZamer& z = span.Zamer[row];
    switch (col) {
        case 0: return Format("%3d", row);
        case 1: return DateText(z.Time);
        case 2: return TimeText(z.Time);
        case 3: return Format("%8.2f", z.HMid);
        case 4: return Format("%8.2f", span.M_middle_h);
        case 5: return Format("%8.2f", z.I);
        case 6: return Format("%8.1f", z.TPr);
        case 7: return Format("%8.1f", z.Tv);
        case 8: return Format("%8.1f", z.V);
        case 9: return Format("%8.0f", z.Alf);
        default: return "";
    }
}

bool AddZamer(TySpan& span, int& current, double now) {
    const int count = ZamerCount(span);
    if (count >= kMaxZamers) return false;
    current = count + 1;
    span.Zamer[current].Time = now;
    return true;
}

bool InsertZamer(TySpan& span, int& current, double now) {
    const int count = ZamerCount(span);
    if (count >= kMaxZamers) return false;
    current = current < 1 ? 1 : (current > count + 1 ? count + 1 : current);
    for (int i = count + 1; i > current; --i) span.Zamer[i] = span.Zamer[i - 1];
    ClearZamer(span.Zamer[current]);
    span.Zamer[current].Time = now;
    return true;
}

bool DeleteZamer(TySpan& span, int& current, Dialogs& dialogs) {
    const int count = ZamerCount(span);
    if (count == 0 || !InList(current == 0 ? 1 : current, count)) return false;
    if (dialogs.Ask(kMsgDeleteItem, Buttons::YesCancel) != Answer::Yes) return false;
    if (current == 0) current = 1;
    for (int i = current; i < count; ++i) span.Zamer[i] = span.Zamer[i + 1];
    ClearZamer(span.Zamer[count]);
    if (current > count - 1) current = count - 1 < 1 ? 1 : count - 1;
    return true;
}

bool EditZamerCell(TySpan& span, int row, int col, const std::string& text, Dialogs& dialogs) {
    if (!InList(row, ZamerCount(span))) return false;
    TyZamer& z = span.Zamer[row];
    Single* field = nullptr;
    switch (col) {
        case 3: field = &z.HMid; break;
        case 4: field = &span.M_middle_h; break;
        case 5: field = &z.I; break;
        case 6: field = &z.TPr; break;
        case 7: field = &z.Tv; break;
        case 8: field = &z.V; break;
        case 9: field = &z.Alf; break;
        default: return false;
    }
    const bool stored = TextToSingle(text, *field, dialogs);
    ZamerSag(span, row);
    return stored;
}

void SetZamerTime(TySpan& span, int row, double time) {
    if (row < 1 || row > kMaxZamers || !std::isfinite(time)) return;
    span.Zamer[row].Time = time;
}

void SetZamerSky(TySpan& span, int row, int t) {
    if (row == 0) row = 1;
    if (row < 1 || row > kMaxZamers || t < 0 || t > 3) return;
    span.Zamer[row].Tzv = t;
}

std::string TwoPointCellText(const TySpan& span, int point, int col) {
    if (point < 1 || point > kMaxZamers) return "";
    switch (col) {
        case 0: return Format("%.2f", span.LZam[point]);
        case 1: return Format("%.2f", span.HZam[point]);
        case 2: return Format("%.2f", span.HSeaZam[point]);
        default: return "";
    }
}

bool TwoPointCanAdd(const TySpan& span, int points, Dialogs& dialogs) {
    if (points >= kMaxZamers) {
        dialogs.Message(kMsgTwoPointFull);
        return false;
    }
    if (points >= 1 && (span.HZam[points] == 0 || span.LZam[points] == 0)) {
        dialogs.Message(kMsgTwoPointFillLast);
        return false;
    }
    return true;
}

bool DeleteTwoPoint(TySpan& span, int point, Dialogs& dialogs) {
    if (point < 1 || point > kMaxZamers) return false;
    if (dialogs.Ask(kMsgDeleteItem, Buttons::YesCancel) != Answer::Yes) return false;
    for (int i = point; i < kMaxZamers; ++i) {
        span.LZam[i] = span.LZam[i + 1];
        span.HZam[i] = span.HZam[i + 1];
        span.HSeaZam[i] = span.HSeaZam[i + 1];
    }
    span.LZam[kMaxZamers] = span.HZam[kMaxZamers] = span.HSeaZam[kMaxZamers] = 0;
    return true;
}

bool EditTwoPointCell(TySpan& span, int point, int col, const std::string& text, Dialogs& dialogs) {
    if (point < 1 || point > kMaxZamers) return false;
    Single* field = col == 0   ? &span.LZam[point]
                    : col == 1 ? &span.HZam[point]
                    : col == 2 ? &span.HSeaZam[point]
                               : nullptr;
    return field && TextToSingle(text, *field, dialogs);
}

}  // namespace qem
