#pragma once
// Records with every field set to its own non-zero value (reserved fields and the bytes
// after each text included), for layout and round-trip tests.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "model/Cp1251.h"
#include "model/QEMcom.h"

namespace qem::test {

// Distinct values in sequence.
struct Seq {
    int k;
    explicit Seq(int seed) : k(seed * 1000) {}
    float f() { return static_cast<float>(++k) + 0.25f; }
    std::int32_t i() { return ++k * 7; }
    std::uint8_t b() { return static_cast<std::uint8_t>(++k % 251 + 1); }
    double d() { return 40000.0 + static_cast<double>(++k) / 64.0; }
};

// Text from UTF-8, and garbage after it (it must round-trip too).
template <int N>
void Fill(ShortStr<N>& s, const std::string& utf8, Seq& q) {
    s.assign(Utf8ToCp1251(utf8));
    for (int i = s.Len; i < N; ++i) s.Chars[static_cast<std::size_t>(i)] = q.b();
}

inline TyWire FullWire(Seq& q, const std::string& name = "АС 240/32") {
    TyWire w;
    Fill(w.Name, name, q);
    for (float* v : {&w.SAlN, &w.SStN, &w.D, &w.DSt, &w.R, &w.AlfaR, &w.MAl, &w.MSt, &w.TMax}) *v = q.f();
    return w;
}

inline TyKO FullKO(Seq& q) {
    TyKO k;
    Fill(k.Name, "ВМТ-110Б", q);
    Fill(k.FullName, "Выключатель масляный баковый ВМТ-110Б-25/1250", q);
    k.I = q.i();
    k.U = q.i();
    for (auto& v : k.DDTN) v = q.i();
    for (auto& v : k.ADTN) v = q.i();
    k.Kind = q.b();
    return k;
}

inline TySpan FullSpan(Seq& q) {
    TySpan s;
    Fill(s.Nop1, "12а", q);
    Fill(s.Nop2, "13", q);
    Fill(s.Comm, "Пересечение с автодорогой Москва — Ярославль", q);
    s.Mpr = q.i();
    s.Pr = FullWire(q);
    for (float* v : {&s.Si, &s.Tv, &s.V, &s.Bg, &s.Res200, &s.Res204, &s.Res208, &s.Res212, &s.Res216}) *v = q.f();
    s.RegG = q.i();
    s.RegV = q.i();
    for (auto& b : s.Res228) b = q.b();
    for (auto& v : s.AprNop) v = q.i();
    for (auto& v : s.AprL) v = q.f();
    for (auto& v : s.AprH) v = q.f();
    for (auto& p : s.Prep) {
        for (float* v : {&p.Lprep, &p.Hprep, &p.GabPrep, &p.HSeaPrep, &p.GabZem}) *v = q.f();
        p.TPrp = q.i();
    }
    s.NPrep = q.i();
    for (auto& z : s.Zem) z.ZemH = q.f(), z.ZemL = q.f();
    for (float* v :
         {&s.Lpr,    &s.Res812, &s.Lapr,       &s.H1,     &s.H2,  &s.Hpr1, &s.Hpr2, &s.AngP, &s.Fi,  &s.PrBreak,
          &s.Res848, &s.Res852, &s.M_middle_h, &s.Res860, &s.Tvv, &s.Vv,   &s.Alfv, &s.Iv,   &s.Bgv, &s.Gamma})
        *v = q.f();
    s.Tzv = q.i();
    s.TM = q.i();
    s.RasUsl = q.i();
    for (auto& z : s.Zamer) {
        z.Tzv = q.i();
        z.Time = q.d();
        for (float* v : {&z.FZam, &z.Res16, &z.Res20, &z.HMid, &z.I, &z.TPr, &z.Tv, &z.V, &z.Alf}) *v = q.f();
    }
    for (auto& v : s.Res1380) v = q.i();
    for (auto& b : s.Res1424) b = q.b();
    for (auto& v : s.HZam) v = q.f();
    for (auto& v : s.LZam) v = q.f();
    for (auto& v : s.HSeaZam) v = q.f();
    s.UseSea = q.b();
    return s;
}

inline TyLine FullLine(Seq& q, int nspans) {
    TyLine l;
    Fill(l.From, "ПС Южная", q);
    Fill(l.To, "ПС Северная-2", q);
    l.NVL = q.i();
    for (auto& b : l.Res56) b = q.b();
    for (auto& b : l.Res60) b = q.b();
    l.Uvl = q.b();
    l.CabDDTN = q.f();
    l.CabADTN = q.f();
    for (int s = 0; s < nspans; ++s) l.Spans.push_back(FullSpan(q));
    for (TyKO* k : {&l.KOSwitch1, &l.KOSwitch2, &l.KODisc1, &l.KODisc2, &l.KOTrap1, &l.KOTrap2, &l.KOCT1, &l.KOCT2})
        *k = FullKO(q);
    for (TyWire* b : {&l.Bus1, &l.Bus2, &l.Bus3, &l.Bus4}) *b = FullWire(q, "Ошиновка А-600");
    for (Integer* n : {&l.NBus1, &l.NBus2, &l.NBus3, &l.NBus4}) *n = q.i();
    return l;
}

// A fresh empty folder under the test temporary directory, removed at the end of the test.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag) {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("qem_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace qem::test
