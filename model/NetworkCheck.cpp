#include "model/NetworkCheck.h"

#include <cmath>
#include <sstream>

#include "model/NetworkFile.h"
#include "model/RecordFields.h"

namespace qem {
namespace {

std::string Num(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

// Walks every field of a record and notes strings longer than their capacity and numbers
// that are not finite.
struct GenericCheck {
    std::vector<std::string>& out;
    std::string where;   // "Линия 2, пролёт 5"
    std::string prefix;  // "Pr." inside nested records

    void note(const std::string& name, const std::string& what) {
        out.push_back(where + ": " + prefix + name + " " + what);
    }

    template <int N>
    void operator()(const std::string& name, const ShortStr<N>& s) {
        if (s.Len > N)
            note(name, "— длина строки " + std::to_string(s.Len) + " больше " + std::to_string(N) + " символов");
    }
    void operator()(const std::string& name, float v) {
        if (!std::isfinite(v)) note(name, "не является конечным числом (" + Num(v) + ")");
    }
    void operator()(const std::string& name, double v) {
        if (!std::isfinite(v)) note(name, "не является конечным числом (" + Num(v) + ")");
    }
    void operator()(const std::string&, Integer) {}
    void operator()(const std::string&, Byte) {}
    template <std::size_t N>
    void operator()(const std::string&, const std::array<Byte, N>&) {}
    template <class T, int Lo, int Hi>
    void operator()(const std::string& name, const IArray<T, Lo, Hi>& a) {
        for (int i = Lo; i <= Hi; ++i) (*this)(name + "[" + std::to_string(i) + "]", a[i]);
    }
    template <class R>
    void record(const std::string& name, const R& r) {
        GenericCheck sub{out, where, prefix + name + "."};
        VisitFields(r, sub);
    }
    void operator()(const std::string& n, const TyWire& r) { record(n, r); }
    void operator()(const std::string& n, const TyKO& r) { record(n, r); }
    void operator()(const std::string& n, const TyPrep& r) { record(n, r); }
    void operator()(const std::string& n, const TyZamer& r) { record(n, r); }
    void operator()(const std::string& n, const TyZem& r) { record(n, r); }
    void operator()(const std::string&, const std::vector<TySpan>&) {}  // spans are checked one by one
};

void Range(std::vector<std::string>& out, const std::string& where, const std::string& name, long long v, long long lo,
           long long hi) {
    if (v < lo || v > hi)
        out.push_back(where + ": " + name + " = " + std::to_string(v) + " (допустимо " + std::to_string(lo) + ".." +
                      std::to_string(hi) + ")");
}

void CheckSpan(std::vector<std::string>& out, const std::string& where, const TySpan& s) {
    GenericCheck g{out, where, ""};
    VisitFields(s, g);
    Range(out, where, "Mpr", s.Mpr, 1, 20);
    Range(out, where, "NPrep", s.NPrep, 0, 10);
    for (int i = 1; i <= 10 && i <= s.NPrep; ++i)
        Range(out, where, "Prep[" + std::to_string(i) + "].TPrp", s.Prep[i].TPrp, 0, kObstacleTypes - 1);
    Range(out, where, "RegG", s.RegG, 1, 7);
    Range(out, where, "RegV", s.RegV, 1, 7);
    Range(out, where, "Tzv", s.Tzv, 0, 3);
    Range(out, where, "TM", s.TM, 0, 3);
    Range(out, where, "RasUsl", s.RasUsl, 0, 3);
    for (int i = 1; i <= 10; ++i)
        if (s.Zamer[i].Time > 0.001) Range(out, where, "Zamer[" + std::to_string(i) + "].Tzv", s.Zamer[i].Tzv, 0, 3);
    Range(out, where, "UseSea", s.UseSea, 0, 1);
}

}  // namespace

std::vector<std::string> CheckLines(const std::vector<TyLine>& lines) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TyLine& l = lines[i];
        const std::string where = "Линия " + std::to_string(i + 1);
        GenericCheck g{out, where, ""};
        VisitFields(l, g);
        Range(out, where, "Uvl", l.Uvl, 0, 7);
        const std::pair<const char*, const TyKO*> kos[] = {
            {"KOSwitch1", &l.KOSwitch1}, {"KOSwitch2", &l.KOSwitch2}, {"KODisc1", &l.KODisc1}, {"KODisc2", &l.KODisc2},
            {"KOTrap1", &l.KOTrap1},     {"KOTrap2", &l.KOTrap2},     {"KOCT1", &l.KOCT1},     {"KOCT2", &l.KOCT2}};
        for (const auto& [name, ko] : kos) Range(out, where, std::string(name) + ".Kind", ko->Kind, 0, 3);
        const std::pair<const char*, Integer> nbus[] = {
            {"NBus1", l.NBus1}, {"NBus2", l.NBus2}, {"NBus3", l.NBus3}, {"NBus4", l.NBus4}};
        for (const auto& [name, n] : nbus)
            if (n < 0) out.push_back(where + ": " + name + " = " + std::to_string(n) + " (число проводов меньше 0)");
        for (int s = 1; s <= l.NSpans(); ++s) CheckSpan(out, where + ", пролёт " + std::to_string(s), l.Span(s));
    }
    return out;
}

std::vector<std::string> CheckNetworkImage(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    std::vector<TyLine> lines;
    try {
        lines = DecodeNetwork(bytes, name);
    } catch (const FileError& e) {
        return {e.what()};
    }
    return CheckLines(lines);
}

}  // namespace qem
