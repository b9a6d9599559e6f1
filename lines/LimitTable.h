#pragma once
// The whole-line limit table: the ДДТН and АДТН of every component of a line at the 14 limit
// temperatures, written into the sheet of a workbook made from "шаблон экспорта.xlsx".
//
// The line conductor's 14 ratings are independent pieces, each a line calculation on its own
// copy of the line, computed before anything is written; a rating that fails is a value
// (ConductorRating::failure), not a message.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/CalcEnv.h"
#include "lines/ComponentLimits.h"
#include "model/QEMcom.h"
#include "platform/Dialogs.h"
#include "platform/Workbook.h"

namespace qem {

// Rows of the table: component row pairs (ДДТН above АДТН) 5 ... 32, the line's own limits in
// rows 33 (ДДТН) and 34 (АДТН); columns F ... S the limit temperatures.
inline constexpr int kTableFirstRow = 5;
inline constexpr int kTableLastRow = 32;
inline constexpr int kLineDDTNRow = 33;
inline constexpr int kLineADTNRow = 34;
inline constexpr int kFirstTempColumn = 6;  // F

// "ВЛ 110кВ От-До": the line in B5, C33 and the short workbook.
std::string LineTitle(const TyLine& line);
// "110 кВ От-До": the line in messages.
std::string LineName(const TyLine& line);

// The line conductor at limit temperature T: the line calculation of UncheckedLineRegimeCommand
// on a copy of `line` with every span's air temperature T, measurement `zamer` for the
// reference states.
// Nothing is shown; the result says what happened.
ConductorRating RateLineConductor(const TyLine& line, const CalcEnv& env, Celsius T, int zamer = 1);

// The 14 ratings of the line as the table rates it (LimitLine), one after another; `step` is
// called after each with the count done and stops the rest when it returns false (nullopt).
std::optional<ConductorRatings> RateLineConductorAll(const TyLine& line, const CalcEnv& env, bool useSourceCondition,
                                                     int zamer = 1, const std::function<bool(int)>& step = {});

// The line's own limits from the component rows of a filled table: at each temperature the
// least value of the components present (empty cells ignored; 0 when none is present, as the
// spreadsheet's MIN gives), and the texts of Q35 and Q36 naming the components that limit the
// line at some temperature. The template's formulas compute the same. With the conductor's
// ratings, the line conductor is named with the span that limits it and why, at the
// temperatures where it limits the line: "провод ВЛ (пролёт 3 - 4: нагрев)", or with several
// "провод ВЛ (пролёт 3 - 4: нагрев при -20…+20 °C; пролёт 7 - 8: габарит до земли при
// +25…+45 °C)".
struct LineLimits {
    std::array<double, kLimitTemps> DDTN{}, ADTN{};
    std::string ddtnText, adtnText;  // "ДДТН ограничивает: провод ВЛ. ", "АДТН ограничивает: ..."
};
LineLimits CombineLimits(const Sheet& sheet, const ConductorRatings* ratings = nullptr);

struct LimitTableOutcome {
    bool written = false;  // false: the busbar or bus rating failed (its messages shown), nothing written
    // The line conductor is not rated: "Провод ВЛ не рассчитан: " and the reason (also in T5,
    // with rows 5 and 6 left empty); empty when it is rated.
    std::string unrated;
    std::string message;             // then also this, naming the line and the temperature
    std::vector<std::string> notes;  // other messages of the conductor's calculations, each once
    LineLimits limits;               // rows 33 and 34 as written
};

// `CalculateAllLine`: the table of `line` into `sheet`. `ratings` are the conductor's ratings
// of RateLineConductorAll with the same useSourceCondition. Wire counts below 1 of the line
// become 1; nothing else of it changes.
LimitTableOutcome CalculateAllLine(TyLine& line, const ConductorRatings& ratings, Celsius LongTermTemp,
                                   bool useSourceCondition, Dialogs& dlg, Sheet& sheet);

// The first of the ratings that rates nothing (the lowest temperature); nullptr when all rate.
const ConductorRating* FirstUnrated(const ConductorRatings& ratings);
// The message of a line whose conductor is not rated at T: the line, the temperature, the
// reason (which names the span).
std::string UnratedMessage(const TyLine& line, Celsius T, const std::string& reason);

}  // namespace qem
