#pragma once
// Every field of a record by its name, in stored order: VisitFields(record, v) calls
// v("Name", field) for each field. Printers and checkers walk the records with it, so a
// field is never forgotten by one of them. Nested records, IArray and std::vector fields are
// passed whole; the visitor descends into them itself (VisitFields again for records). The
// record may be const (printing, checking) or not (reading a file into it); the packed images
// of model/Records.cpp are written and read by this list too.
#include <concepts>
#include <type_traits>

#include "model/QEMcom.h"

namespace qem {

// T is the record type R, const or not.
template <class T, class R>
concept RecordOf = std::same_as<std::remove_const_t<T>, R>;

template <RecordOf<TyWire> R, class V>
void VisitFields(R& x, V&& v) {
    v("Name", x.Name);
    v("SAlN", x.SAlN);
    v("SStN", x.SStN);
    v("D", x.D);
    v("DSt", x.DSt);
    v("R", x.R);
    v("AlfaR", x.AlfaR);
    v("MAl", x.MAl);
    v("MSt", x.MSt);
    v("TMax", x.TMax);
}

template <RecordOf<TyKO> R, class V>
void VisitFields(R& x, V&& v) {
    v("Name", x.Name);
    v("FullName", x.FullName);
    v("I", x.I);
    v("U", x.U);
    v("DDTN", x.DDTN);
    v("ADTN", x.ADTN);
    v("Kind", x.Kind);
}

template <RecordOf<TyPrep> R, class V>
void VisitFields(R& x, V&& v) {
    v("Lprep", x.Lprep);
    v("Hprep", x.Hprep);
    v("GabPrep", x.GabPrep);
    v("HSeaPrep", x.HSeaPrep);
    v("GabZem", x.GabZem);
    v("TPrp", x.TPrp);
}

template <RecordOf<TyZamer> R, class V>
void VisitFields(R& x, V&& v) {
    v("Tzv", x.Tzv);
    v("Time", x.Time);
    v("FZam", x.FZam);
    v("Res16", x.Res16);
    v("Res20", x.Res20);
    v("HMid", x.HMid);
    v("I", x.I);
    v("TPr", x.TPr);
    v("Tv", x.Tv);
    v("V", x.V);
    v("Alf", x.Alf);
}

template <RecordOf<TyZem> R, class V>
void VisitFields(R& x, V&& v) {
    v("ZemH", x.ZemH);
    v("ZemL", x.ZemL);
}

template <RecordOf<TySpan> R, class V>
void VisitFields(R& x, V&& v) {
    v("Nop1", x.Nop1);
    v("Nop2", x.Nop2);
    v("Comm", x.Comm);
    v("Mpr", x.Mpr);
    v("Pr", x.Pr);
    v("Si", x.Si);
    v("Tv", x.Tv);
    v("V", x.V);
    v("Bg", x.Bg);
    v("Res200", x.Res200);
    v("Res204", x.Res204);
    v("Res208", x.Res208);
    v("Res212", x.Res212);
    v("Res216", x.Res216);
    v("RegG", x.RegG);
    v("RegV", x.RegV);
    v("Res228", x.Res228);
    v("AprNop", x.AprNop);
    v("AprL", x.AprL);
    v("AprH", x.AprH);
    v("Prep", x.Prep);
    v("NPrep", x.NPrep);
    v("Zem", x.Zem);
    v("Lpr", x.Lpr);
    v("Res812", x.Res812);
    v("Lapr", x.Lapr);
    v("H1", x.H1);
    v("H2", x.H2);
    v("Hpr1", x.Hpr1);
    v("Hpr2", x.Hpr2);
    v("AngP", x.AngP);
    v("Fi", x.Fi);
    v("PrBreak", x.PrBreak);
    v("Res848", x.Res848);
    v("Res852", x.Res852);
    v("M_middle_h", x.M_middle_h);
    v("Res860", x.Res860);
    v("Tvv", x.Tvv);
    v("Vv", x.Vv);
    v("Alfv", x.Alfv);
    v("Iv", x.Iv);
    v("Bgv", x.Bgv);
    v("Gamma", x.Gamma);
    v("Tzv", x.Tzv);
    v("TM", x.TM);
    v("RasUsl", x.RasUsl);
    v("Zamer", x.Zamer);
    v("Res1380", x.Res1380);
    v("Res1424", x.Res1424);
    v("HZam", x.HZam);
    v("LZam", x.LZam);
    v("HSeaZam", x.HSeaZam);
    v("UseSea", x.UseSea);
}

// The line header before the span list.
template <RecordOf<TyLine> R, class V>
void VisitLineHead(R& x, V&& v) {
    v("From", x.From);
    v("To", x.To);
    v("NVL", x.NVL);
    v("Res56", x.Res56);
    v("Res60", x.Res60);
    v("Uvl", x.Uvl);
    v("CabDDTN", x.CabDDTN);
    v("CabADTN", x.CabADTN);
}

// The line's equipment tail after the span list.
template <RecordOf<TyLine> R, class V>
void VisitLineTail(R& x, V&& v) {
    v("KOSwitch1", x.KOSwitch1);
    v("KOSwitch2", x.KOSwitch2);
    v("KODisc1", x.KODisc1);
    v("KODisc2", x.KODisc2);
    v("KOTrap1", x.KOTrap1);
    v("KOTrap2", x.KOTrap2);
    v("KOCT1", x.KOCT1);
    v("KOCT2", x.KOCT2);
    v("Bus1", x.Bus1);
    v("Bus2", x.Bus2);
    v("Bus3", x.Bus3);
    v("Bus4", x.Bus4);
    v("NBus1", x.NBus1);
    v("NBus2", x.NBus2);
    v("NBus3", x.NBus3);
    v("NBus4", x.NBus4);
}

// A line's fields with its span list between header and tail; NSpans is the list's size.
template <class V>
void VisitFields(const TyLine& x, V&& v) {
    VisitLineHead(x, v);
    const Integer nspans = x.NSpans();
    v("NSpans", nspans);
    v("Spans", x.Spans);
    VisitLineTail(x, v);
}

}  // namespace qem
