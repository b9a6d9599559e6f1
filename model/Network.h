#pragma once
// The open line network: the list of lines with their spans, the current line and, per
// line position, the current span; and the operations that add, insert and delete lines
// and spans. Positions of lines and spans are counted from 1.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "model/IArray.h"
#include "model/QEMcom.h"

namespace qem {

// Delphi-style date-time: days since 30.12.1899, the fraction being the time of day.
inline constexpr double kUnixEpochDateTime = 25569.0;  // 01.01.1970 00:00
// The moment t as a date-time of the local clock.
double ToDateTime(std::chrono::system_clock::time_point t);
// The current local date and time as a date-time.
double NowDateTime();

// Messages of the commands when a limit refuses an addition.
inline constexpr const char* kMsgLinesFull = "В сети уже 1000 линий — больше добавить нельзя";
inline constexpr const char* kMsgSpansFull = "В линии уже 2550 пролётов — больше добавить нельзя";

// A new span: RegG = RegV = 1, Mpr = 1, RasUsl = 1, Res204..Res216 = -5, -40, 40, 5,
// Res1380[k] = k, the conductor wire1 (catalog entry 1), one measurement slot stamped now.
TySpan NewSpan(const TyWire& wire1, double now);
// A new line: class 500 kV (Uvl = 1), bus wire counts 1, empty equipment, one new span.
TyLine NewLine(const TyWire& wire1, double now);

struct Network {
    std::vector<TyLine> Lines;          // line at position p is Lines[p - 1]
    int CurLine = 0;                    // position of the current line
    IArray<int, 1, kMaxLines> CurSpan;  // per line position: current span of the line there
    std::string NetFileName;            // full path (UTF-8) of the open file; empty when none
    Byte UsePUE6 = 0;
    Byte UsePUE7 = 1;
    // The user changed the network since it was opened or last saved: set by every edit and
    // by the operations below, cleared by opening and by a successful save.
    bool Modified = false;
    // Clock of new spans (a date-time); tests put a fixed one here.
    std::function<double()> Now = NowDateTime;

    Network();

    int NLines() const { return static_cast<int>(Lines.size()); }
    // Line at position p (1..NLines); out_of_range otherwise.
    TyLine& Line(int p);
    const TyLine& Line(int p) const;
    // Current span number of the line at position p, kept within 1..NSpans of that line
    // (the entry belongs to the position and may be left from a line that was there before).
    int CurSpanOf(int p) const;
    void ResetCurSpans();  // every entry := 1
    void MarkModified() { Modified = true; }

    // Every operation below marks the network modified.

    // Makes the line at position p a new line.
    void InitLine(int p, const TyWire& wire1);
    // Appends a new line and makes it current; false (nothing changed but CurLine := NLines)
    // when the network already holds 1000 lines.
    bool AddLine(const TyWire& wire1);
    // Inserts a new line at p (1..NLines + 1); CurLine := p in every case; false when full.
    bool InsertLine(int p, const TyWire& wire1);
    // Deletes the line at p unless it is the only one; CurLine := p, or NLines when p is now
    // beyond the last line. False when nothing was deleted.
    bool DeleteLine(int p);

    // Makes span s of line l a new span.
    void InitSpan(int l, int s, const TyWire& wire1);
    // Appends a new span to line l, CurSpan[l] := NSpans; false when the line holds 2550 spans.
    bool AddSpan(int l, const TyWire& wire1);
    // Inserts a new span at s (1..NSpans + 1); CurSpan[l] := s in every case; false when full.
    bool InsertSpan(int l, int s, const TyWire& wire1);
    // Deletes span s unless it is the only one; CurSpan[l] := s, or NSpans if s was the last.
    bool DeleteSpan(int l, int s);
};

}  // namespace qem
