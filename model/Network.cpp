#include "model/Network.h"

#include <ctime>
#include <stdexcept>

namespace qem {

double ToDateTime(std::chrono::system_clock::time_point t) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
    const std::time_t secs = static_cast<std::time_t>(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
    std::tm local{};
    long offset = 0;
    if (localtime_r(&secs, &local)) offset = local.tm_gmtoff;  // seconds east of UTC
    return kUnixEpochDateTime + (static_cast<double>(ms) / 1000.0 + static_cast<double>(offset)) / 86400.0;
}

double NowDateTime() { return ToDateTime(std::chrono::system_clock::now()); }

TySpan NewSpan(const TyWire& wire1, double now) {
    TySpan s;
    s.Mpr = 1;
    s.Pr = wire1;
    s.Res204 = -5;
    s.Res208 = -40;
    s.Res212 = 40;
    s.Res216 = 5;
    s.RegG = 1;
    s.RegV = 1;
    s.RasUsl = 1;
    s.Zamer[1].Time = now;
    for (int k = 1; k <= 11; ++k) s.Res1380[k] = k;
    return s;
}

TyLine NewLine(const TyWire& wire1, double now) {
    TyLine l;
    l.Uvl = 1;
    l.NBus1 = l.NBus2 = l.NBus3 = l.NBus4 = 1;
    l.Spans.push_back(NewSpan(wire1, now));
    return l;
}

Network::Network() { ResetCurSpans(); }

void Network::ResetCurSpans() {
    for (int& c : CurSpan) c = 1;
}

static void CheckPosition(int p, int lo, int hi, const char* what) {
    if (p < lo || p > hi)
        throw std::out_of_range(std::string(what) + " " + std::to_string(p) + " outside [" + std::to_string(lo) + ".." +
                                std::to_string(hi) + "]");
}

TyLine& Network::Line(int p) {
    CheckPosition(p, 1, NLines(), "line");
    return Lines[static_cast<std::size_t>(p - 1)];
}

const TyLine& Network::Line(int p) const {
    CheckPosition(p, 1, NLines(), "line");
    return Lines[static_cast<std::size_t>(p - 1)];
}

int Network::CurSpanOf(int p) const {
    const int n = Line(p).NSpans();
    const int c = CurSpan[p];
    return c < 1 ? 1 : c > n ? n : c;
}

void Network::InitLine(int p, const TyWire& wire1) {
    Line(p) = NewLine(wire1, Now());
    MarkModified();
}

bool Network::AddLine(const TyWire& wire1) {
    const bool room = NLines() < kMaxLines;
    if (room) Lines.push_back(NewLine(wire1, Now()));
    CurLine = NLines();
    Modified |= room;
    return room;
}

bool Network::InsertLine(int p, const TyWire& wire1) {
    CheckPosition(p, 1, NLines() + 1, "line");
    const bool room = NLines() < kMaxLines;
    if (room) Lines.insert(Lines.begin() + (p - 1), NewLine(wire1, Now()));
    CurLine = room || p <= NLines() ? p : NLines();
    Modified |= room;
    return room;
}

bool Network::DeleteLine(int p) {
    CheckPosition(p, 1, NLines(), "line");
    const bool more = NLines() > 1;
    if (more) Lines.erase(Lines.begin() + (p - 1));
    CurLine = p > NLines() ? NLines() : p;
    Modified |= more;
    return more;
}

void Network::InitSpan(int l, int s, const TyWire& wire1) {
    Line(l).Span(s) = NewSpan(wire1, Now());
    MarkModified();
}

bool Network::AddSpan(int l, const TyWire& wire1) {
    TyLine& line = Line(l);
    const bool room = line.NSpans() < kMaxSpans;
    if (room) line.Spans.push_back(NewSpan(wire1, Now()));
    CurSpan[l] = line.NSpans();
    Modified |= room;
    return room;
}

bool Network::InsertSpan(int l, int s, const TyWire& wire1) {
    TyLine& line = Line(l);
    CheckPosition(s, 1, line.NSpans() + 1, "span");
    const bool room = line.NSpans() < kMaxSpans;
    if (room) line.Spans.insert(line.Spans.begin() + (s - 1), NewSpan(wire1, Now()));
    CurSpan[l] = room || s <= line.NSpans() ? s : line.NSpans();
    Modified |= room;
    return room;
}

bool Network::DeleteSpan(int l, int s) {
    TyLine& line = Line(l);
    CheckPosition(s, 1, line.NSpans(), "span");
    const bool more = line.NSpans() > 1;
    if (more) line.Spans.erase(line.Spans.begin() + (s - 1));
    CurSpan[l] = s > line.NSpans() ? line.NSpans() : s;
    Modified |= more;
    return more;
}

}  // namespace qem
