#pragma once
// Editing the current span from the "Параметры пролетов" and "Исходные данные" pages: every
// field edit is written into the span at once; the conductor, the wire count, the latitude,
// the regions and the terrain go into the spans selected in the span list as well. Also the
// commands that apply the current span's values to all spans of the line, and the span buffer.
//
// Texts are UTF-8 here; the records keep Windows-1251. `selected` lists the span numbers
// (from 1) of the current line whose items are selected in the span list; numbers outside
// the line are ignored. Every function does nothing when the network has no current span.
// Showing a span never goes through these functions: only the user's edits write.
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "session/AppState.h"

namespace qem {

// Support numbers keep at most 5 characters, the comment 100.
inline constexpr int kNopChars = 5;
inline constexpr int kCommChars = 100;
// "Количество проводов в фазе".
inline constexpr int kMinMpr = 1;
inline constexpr int kMaxMpr = 20;

// EditNop1 / EditNop2: the first 5 characters are stored when they differ from the stored
// text. True when the record changed (the span list item is then rewritten).
bool EditNop1(AppState& app, const std::string& utf8);
bool EditNop2(AppState& app, const std::string& utf8);
// EditComm: at most the first 100 characters.
void EditComm(AppState& app, const std::string& utf8);

// ComboBoxPr: catalog entry item + 1 into S and the selected spans (ChooseConductor: the
// conductor without its AlfaR, and PrBreak). False for an item outside the catalog.
bool ChooseSpanConductor(AppState& app, int item, const std::vector<int>& selected);
// SpinEditMpr: 1 ... 20 into S and the selected spans; false (nothing written) outside.
bool EditMpr(AppState& app, int mpr, const std::vector<int>& selected);

// Number fields of S alone, read by TextToSingle.
enum class SpanNumber { Hpr1, Hpr2, H1, H2, Lpr, Si, Lapr, AngP };
// True when stored; a text that does not parse is reported and S keeps its value.
bool EditSpanNumber(AppState& app, SpanNumber field, const std::string& text, Dialogs& dlg);
// EditFi: the text into S and, read again for each, into the selected spans. A text that
// does not parse is reported once and no span changes.
bool EditFi(AppState& app, const std::string& text, const std::vector<int>& selected, Dialogs& dlg);

// ComboBoxRegG / ComboBoxRegV: item 0 ... 6 (I ... VII) gives region 1 ... 7; ComboBoxTM:
// item 0 ... 3 is the terrain type. Into S and the selected spans; false outside the items.
bool ChooseRegG(AppState& app, int item, const std::vector<int>& selected);
bool ChooseRegV(AppState& app, int item, const std::vector<int>& selected);
bool ChooseTM(AppState& app, int item, const std::vector<int>& selected);
// "Учитывать" (UseSea 1) / "Не учитывать" (0), S alone.
void ChooseUseSea(AppState& app, bool use);

// Source data of S ("Исходные данные"), read by TextToSingle.
enum class SourceNumber { Tvv, Vv, Alfv, Iv, Bgv, Gamma };
bool EditSourceNumber(AppState& app, SourceNumber field, const std::string& text, Dialogs& dlg);
// "Чистота воздуха": item 0 ... 3 is Tzv; false outside.
bool ChooseTzv(AppState& app, int item);

// "Для всех пролётов" beside the conductor: Pr, Mpr, TM and PrBreak of S into every span.
void ConductorForAllSpans(AppState& app);
// "Для всех пролётов" of the regions: RegG and RegV of S into every span.
void RegionsForAllSpans(AppState& app);
// "Для всех пролётов" of "Высота над уровнем моря": UseSea of S into every span.
void SeaLevelForAllSpans(AppState& app);
// "Применить ко всем пролётам": Tvv, Vv, Alfv, Iv, Bgv, Gamma and Tzv of S into every span.
void SourceForAllSpans(AppState& app);

// The span buttons of "Параметры пролетов", on the current line.
// "В начало списка", "Предыдущий пролет", "Следующий пролет", "В конец списка": the current
// span moves; at the ends of the list, or without a line, nothing happens.
void FirstSpan(Network& net);
void PreviousSpan(Network& net);
void NextSpan(Network& net);
void LastSpan(Network& net);
// "Добавить пролет": a new span at the end; "Вставить пролет в список": a new span in place of
// the current one, which moves down. The new span becomes current. A line of 2550 spans
// refuses with a message and loses nothing.
void AddSpanCommand(AppState& app, Dialogs& dlg);
void InsertSpanCommand(AppState& app, Dialogs& dlg);
// "Удалить пролет из списка": after "Вы действительно хотите удалить выбранный элемент"
// (Yes, Cancel) the current span is deleted; the span after it becomes current (the new last
// one when it was the last). The only span of a line is never deleted: a message says so
// instead of the question. True when a span was deleted.
inline constexpr const char* kMsgOnlySpan = "Единственный пролёт линии удалить нельзя";
bool DeleteSpanCommand(AppState& app, Dialogs& dlg);

// One whole span record held for the running program; empty until something is copied.
struct SpanBuffer {
    std::optional<TySpan> span;
};
// "Копировать данные в буфер": the buffer := S. False when there is no current span.
bool CopySpanToBuffer(const AppState& app, SpanBuffer& buffer);
// "Вставить данные из буфера": S := the buffer, every field. False (nothing changed) when
// nothing has been copied or there is no current span.
bool PasteSpanFromBuffer(AppState& app, const SpanBuffer& buffer);

}  // namespace qem
