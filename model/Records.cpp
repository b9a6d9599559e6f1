#include "model/Records.h"

#include <stdexcept>

namespace qem {

const std::array<const char*, kObstacleTypes> kObstacleTypeText = {
    "ВЛ 750кВ", "ВЛ 500кВ", "ВЛ 330кВ", "ВЛ 220кВ", "ВЛ 110кВ", "ВЛ 35кВ", "ВЛ 10кВ", "ВЛ 6кВ",
    "Здание, сооружение", "Автомобильная дорога", "Железная дорога", "Трамвайная линия", "Троллейбусная линия"};

const std::array<const char*, 8> kVoltageText = {"750", "500", "330", "220", "110", "35", "10", "6"};

const char* VoltageText(int uvl) { return kVoltageText[uvl < 0 ? 0 : uvl > 7 ? 7 : uvl]; }

const std::uint8_t* ByteReader::take(std::size_t n) {
    if (left() < n) throw std::out_of_range("record image is shorter than its layout");
    auto p = p_;
    p_ += n;
    return p;
}

void Encode(ByteWriter& w, const TyWire& x) {
    w.str(x.Name);
    for (float v : {x.SAlN, x.SStN, x.D, x.DSt, x.R, x.AlfaR, x.MAl, x.MSt, x.TMax}) w.f32(v);
}

void Decode(ByteReader& r, TyWire& x) {
    r.str(x.Name);
    for (float* v : {&x.SAlN, &x.SStN, &x.D, &x.DSt, &x.R, &x.AlfaR, &x.MAl, &x.MSt, &x.TMax}) *v = r.f32();
}

void Encode(ByteWriter& w, const TyKO& x) {
    w.str(x.Name);
    w.str(x.FullName);
    w.i32(x.I);
    w.i32(x.U);
    for (auto v : x.DDTN) w.i32(v);
    for (auto v : x.ADTN) w.i32(v);
    w.u8(x.Kind);
}

void Decode(ByteReader& r, TyKO& x) {
    r.str(x.Name);
    r.str(x.FullName);
    x.I = r.i32();
    x.U = r.i32();
    for (auto& v : x.DDTN) v = r.i32();
    for (auto& v : x.ADTN) v = r.i32();
    x.Kind = r.u8();
}

void Encode(ByteWriter& w, const TyPrep& x) {
    for (float v : {x.Lprep, x.Hprep, x.GabPrep, x.HSeaPrep, x.GabZem}) w.f32(v);
    w.i32(x.TPrp);
}

void Decode(ByteReader& r, TyPrep& x) {
    for (float* v : {&x.Lprep, &x.Hprep, &x.GabPrep, &x.HSeaPrep, &x.GabZem}) *v = r.f32();
    x.TPrp = r.i32();
}

void Encode(ByteWriter& w, const TyZamer& x) {
    w.i32(x.Tzv);
    w.f64(x.Time);
    for (float v : {x.FZam, x.Res16, x.Res20, x.HMid, x.I, x.TPr, x.Tv, x.V, x.Alf}) w.f32(v);
}

void Decode(ByteReader& r, TyZamer& x) {
    x.Tzv = r.i32();
    x.Time = r.f64();
    for (float* v : {&x.FZam, &x.Res16, &x.Res20, &x.HMid, &x.I, &x.TPr, &x.Tv, &x.V, &x.Alf}) *v = r.f32();
}

void Encode(ByteWriter& w, const TySpan& x) {
    w.str(x.Nop1);
    w.str(x.Nop2);
    w.str(x.Comm);
    w.i32(x.Mpr);
    Encode(w, x.Pr);
    for (float v : {x.Si, x.Tv, x.V, x.Bg, x.Res200, x.Res204, x.Res208, x.Res212, x.Res216}) w.f32(v);
    w.i32(x.RegG);
    w.i32(x.RegV);
    w.raw(x.Res228.data(), 4);
    for (auto v : x.AprNop) w.i32(v);
    for (auto v : x.AprL) w.f32(v);
    for (auto v : x.AprH) w.f32(v);
    for (const auto& p : x.Prep) Encode(w, p);
    w.i32(x.NPrep);
    for (const auto& z : x.Zem) {
        w.f32(z.ZemH);
        w.f32(z.ZemL);
    }
    for (float v : {x.Lpr, x.Res812, x.Lapr, x.H1, x.H2, x.Hpr1, x.Hpr2, x.AngP, x.Fi, x.PrBreak, x.Res848,
                    x.Res852, x.M_middle_h, x.Res860, x.Tvv, x.Vv, x.Alfv, x.Iv, x.Bgv, x.Gamma})
        w.f32(v);
    w.i32(x.Tzv);
    w.i32(x.TM);
    w.i32(x.RasUsl);
    for (const auto& z : x.Zamer) Encode(w, z);
    for (auto v : x.Res1380) w.i32(v);
    w.raw(x.Res1424.data(), 16);
    for (auto v : x.HZam) w.f32(v);
    for (auto v : x.LZam) w.f32(v);
    for (auto v : x.HSeaZam) w.f32(v);
    w.u8(x.UseSea);
}

void Decode(ByteReader& r, TySpan& x) {
    r.str(x.Nop1);
    r.str(x.Nop2);
    r.str(x.Comm);
    x.Mpr = r.i32();
    Decode(r, x.Pr);
    for (float* v : {&x.Si, &x.Tv, &x.V, &x.Bg, &x.Res200, &x.Res204, &x.Res208, &x.Res212, &x.Res216})
        *v = r.f32();
    x.RegG = r.i32();
    x.RegV = r.i32();
    r.raw(x.Res228.data(), 4);
    for (auto& v : x.AprNop) v = r.i32();
    for (auto& v : x.AprL) v = r.f32();
    for (auto& v : x.AprH) v = r.f32();
    for (auto& p : x.Prep) Decode(r, p);
    x.NPrep = r.i32();
    for (auto& z : x.Zem) {
        z.ZemH = r.f32();
        z.ZemL = r.f32();
    }
    for (float* v : {&x.Lpr, &x.Res812, &x.Lapr, &x.H1, &x.H2, &x.Hpr1, &x.Hpr2, &x.AngP, &x.Fi, &x.PrBreak,
                     &x.Res848, &x.Res852, &x.M_middle_h, &x.Res860, &x.Tvv, &x.Vv, &x.Alfv, &x.Iv, &x.Bgv,
                     &x.Gamma})
        *v = r.f32();
    x.Tzv = r.i32();
    x.TM = r.i32();
    x.RasUsl = r.i32();
    for (auto& z : x.Zamer) Decode(r, z);
    for (auto& v : x.Res1380) v = r.i32();
    r.raw(x.Res1424.data(), 16);
    for (auto& v : x.HZam) v = r.f32();
    for (auto& v : x.LZam) v = r.f32();
    for (auto& v : x.HSeaZam) v = r.f32();
    x.UseSea = r.u8();
}

void Encode(ByteWriter& w, const TyLine& x) {
    w.str(x.From);
    w.str(x.To);
    w.i32(x.NVL);
    w.raw(x.Res56.data(), 4);
    w.raw(x.Res60.data(), 4);
    w.u8(x.Uvl);
    w.f32(x.CabDDTN);
    w.f32(x.CabADTN);
    w.i32(x.NSpans());
    for (const auto& s : x.Spans) Encode(w, s);
    for (const TyKO* k : {&x.KOSwitch1, &x.KOSwitch2, &x.KODisc1, &x.KODisc2, &x.KOTrap1, &x.KOTrap2, &x.KOCT1,
                          &x.KOCT2})
        Encode(w, *k);
    for (const TyWire* b : {&x.Bus1, &x.Bus2, &x.Bus3, &x.Bus4}) Encode(w, *b);
    for (auto n : {x.NBus1, x.NBus2, x.NBus3, x.NBus4}) w.i32(n);
}

std::int32_t DecodeLineHead(ByteReader& r, TyLine& x) {
    r.str(x.From);
    r.str(x.To);
    x.NVL = r.i32();
    r.raw(x.Res56.data(), 4);
    r.raw(x.Res60.data(), 4);
    x.Uvl = r.u8();
    x.CabDDTN = r.f32();
    x.CabADTN = r.f32();
    return r.i32();
}

void DecodeLineTail(ByteReader& r, TyLine& x) {
    for (TyKO* k : {&x.KOSwitch1, &x.KOSwitch2, &x.KODisc1, &x.KODisc2, &x.KOTrap1, &x.KOTrap2, &x.KOCT1,
                    &x.KOCT2})
        Decode(r, *k);
    for (TyWire* b : {&x.Bus1, &x.Bus2, &x.Bus3, &x.Bus4}) Decode(r, *b);
    for (Integer* n : {&x.NBus1, &x.NBus2, &x.NBus3, &x.NBus4}) *n = r.i32();
}

}  // namespace qem
