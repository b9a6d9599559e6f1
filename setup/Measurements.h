#pragma once
// The measurement list of a span (up to ten mid-span height measurements) and its two-point
// set (up to ten points with distance, clearance and height above sea level): counting,
// adding, inserting, deleting and editing, with the texts the grids show. Every edit writes
// straight into the span record. Texts are UTF-8.
#include <array>
#include <string>

#include "model/QEMcom.h"
#include "platform/Dialogs.h"

namespace qem {

inline constexpr int kMaxZamers = 10;
inline constexpr double kZamerUsedTime = 0.001;  // a slot is in use when its Time is above this

inline constexpr const char* kMsgDeleteItem = "Вы действительно хотите удалить выбранный элемент";
inline constexpr const char* kMsgTwoPointFull = "Вы достигли максимального количества замеров";
inline constexpr const char* kMsgTwoPointFillLast = "Заполните последний замер";

// Header of the measurement grid, columns 0..9.
extern const std::array<const char*, 10> kZamerGridHeader;
// Header of the two-point grid, columns 0..2.
extern const std::array<const char*, 3> kTwoPointGridHeader;
// Sky conditions 0..3 ("Чистота воздуха").
extern const std::array<const char*, 4> kSkyConditionText;

// Number of leading slots whose Time is above 0.001 (0..10).
int ZamerCount(const TySpan& span);

// "dd.mm.yyyy" and "hh:mm:ss" of a date-time (days since 30.12.1899); empty when not finite
// or outside years 1..9999.
std::string DateText(double time);
std::string TimeText(double time);

// Text of cell (row 1..count, column 0..9) of the measurement grid: "%3d" row number, date,
// time, HMid "%8.2f", the span's M_middle_h "%8.2f", I "%8.2f", TPr, Tv, V "%8.1f", Alf "%8.0f".
std::string ZamerCellText(const TySpan& span, int row, int col);

// "Добавить измерение": when count < 10 the slot after the last becomes a measurement of the
// time `now` (its other fields keep what they held) and current := that slot. False when full.
bool AddZamer(TySpan& span, int& current, double now);
// "Вставить измерение в список": when count < 10 the slots current..count move one place down,
// the current slot is cleared (Time and the Single fields; Tzv stays) and stamped `now`.
// A current index outside 1..count+1 is taken as the nearest end. False when full.
bool InsertZamer(TySpan& span, int& current, double now);
// "Удалить измерение из списка": after the question (Yes, Cancel) the current measurement is
// removed, the later ones move up and the slot freed at the end is cleared (Tzv stays);
// current stays within 1..count. False on Cancel, with an empty list or a current index
// outside the list.
bool DeleteZamer(TySpan& span, int& current, Dialogs& dialogs);

// Cell edit of row r (1..count), column c: 3 HMid, 4 the span's M_middle_h, 5 I, 6 TPr,
// 7 Tv, 8 V, 9 Alf, parsed by TextToSingle; then FZam of row r is recomputed (ZamerSag).
// Columns 0..2 are not typed (the date and time come from the picker). Returns true when a
// field was stored.
bool EditZamerCell(TySpan& span, int row, int col, const std::string& text, Dialogs& dialogs);
// The picker's date-time into Time of row r (1..count).
void SetZamerTime(TySpan& span, int row, double time);
// The sky selector into Tzv of row r (0 taken as 1); t within 0..3.
void SetZamerSky(TySpan& span, int row, int t);

// Two-point set: text of cell (point 1..10, column 0 LZam, 1 HZam, 2 HSeaZam), "%.2f".
std::string TwoPointCellText(const TySpan& span, int point, int col);
// "Добавить" of the two-point editor whose grid shows `points` points (rows after the header):
// refused with "Вы достигли максимального количества замеров" at 10 points and with
// "Заполните последний замер" when the last point lacks its distance or its clearance.
// True when the grid may show one more point.
bool TwoPointCanAdd(const TySpan& span, int points, Dialogs& dialogs);
// "Удалить" of point p (1..10; 0, the header, does nothing): after the question (Yes, Cancel)
// points p..9 take the values of p+1..10 in all three arrays and point 10 is cleared.
bool DeleteTwoPoint(TySpan& span, int point, Dialogs& dialogs);
// Cell edit of point p (1..10), column 0..2, parsed by TextToSingle.
bool EditTwoPointCell(TySpan& span, int point, int col, const std::string& text, Dialogs& dialogs);

}  // namespace qem
