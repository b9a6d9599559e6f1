#include "model/Records.h"

#include <stdexcept>

#include "model/RecordFields.h"

namespace qem {

const std::array<const char*, kObstacleTypes> kObstacleTypeText = {"ВЛ 750кВ",
                                                                   "ВЛ 500кВ",
                                                                   "ВЛ 330кВ",
                                                                   "ВЛ 220кВ",
                                                                   "ВЛ 110кВ",
                                                                   "ВЛ 35кВ",
                                                                   "ВЛ 10кВ",
                                                                   "ВЛ 6кВ",
                                                                   "Здание, сооружение",
                                                                   "Автомобильная дорога",
                                                                   "Железная дорога",
                                                                   "Трамвайная линия",
                                                                   "Троллейбусная линия"};

const std::array<const char*, 8> kVoltageText = {"750", "500", "330", "220", "110", "35", "10", "6"};

const char* VoltageText(int uvl) { return kVoltageText[uvl < 0 ? 0 : uvl > 7 ? 7 : uvl]; }

const std::uint8_t* ByteReader::take(std::size_t n) {
    if (left() < n) throw std::out_of_range("record image is shorter than its layout");
    auto p = p_;
    p_ += n;
    return p;
}

namespace {

// Writes each field of a record in its packed form: strings as length byte and characters,
// numbers little-endian, reserved bytes as they are, arrays element by element, nested
// records field by field.
struct FieldWriter {
    ByteWriter& w;
    template <int N>
    void operator()(const char*, const ShortStr<N>& s) {
        w.str(s);
    }
    void operator()(const char*, Single v) { w.f32(v); }
    void operator()(const char*, Integer v) { w.i32(v); }
    void operator()(const char*, double v) { w.f64(v); }
    void operator()(const char*, Byte v) { w.u8(v); }
    template <std::size_t N>
    void operator()(const char*, const std::array<Byte, N>& a) {
        w.raw(a.data(), N);
    }
    template <class T, int Lo, int Hi>
    void operator()(const char* name, const IArray<T, Lo, Hi>& a) {
        for (const T& e : a) (*this)(name, e);
    }
    template <class R>
    requires requires(const R& r, FieldWriter& f) { VisitFields(r, f); }
    void operator()(const char*, const R& r) { VisitFields(r, *this); }
};

// Reads each field of a record from its packed form, the mirror of FieldWriter.
struct FieldReader {
    ByteReader& r;
    template <int N>
    void operator()(const char*, ShortStr<N>& s) {
        r.str(s);
    }
    void operator()(const char*, Single& v) { v = r.f32(); }
    void operator()(const char*, Integer& v) { v = r.i32(); }
    void operator()(const char*, double& v) { v = r.f64(); }
    void operator()(const char*, Byte& v) { v = r.u8(); }
    template <std::size_t N>
    void operator()(const char*, std::array<Byte, N>& a) {
        r.raw(a.data(), N);
    }
    template <class T, int Lo, int Hi>
    void operator()(const char* name, IArray<T, Lo, Hi>& a) {
        for (T& e : a) (*this)(name, e);
    }
    template <class R>
    requires requires(R& rec, FieldReader& f) { VisitFields(rec, f); }
    void operator()(const char*, R& rec) { VisitFields(rec, *this); }
};

template <class R>
void EncodeFields(ByteWriter& w, const R& x) {
    FieldWriter f{w};
    VisitFields(x, f);
}

template <class R>
void DecodeFields(ByteReader& r, R& x) {
    FieldReader f{r};
    VisitFields(x, f);
}

}  // namespace

void Encode(ByteWriter& w, const TyWire& x) { EncodeFields(w, x); }
void Decode(ByteReader& r, TyWire& x) { DecodeFields(r, x); }
void Encode(ByteWriter& w, const TyKO& x) { EncodeFields(w, x); }
void Decode(ByteReader& r, TyKO& x) { DecodeFields(r, x); }
void Encode(ByteWriter& w, const TyPrep& x) { EncodeFields(w, x); }
void Decode(ByteReader& r, TyPrep& x) { DecodeFields(r, x); }
void Encode(ByteWriter& w, const TyZamer& x) { EncodeFields(w, x); }
void Decode(ByteReader& r, TyZamer& x) { DecodeFields(r, x); }
void Encode(ByteWriter& w, const TySpan& x) { EncodeFields(w, x); }
void Decode(ByteReader& r, TySpan& x) { DecodeFields(r, x); }

void Encode(ByteWriter& w, const TyLine& x) {
    FieldWriter f{w};
    VisitLineHead(x, f);
    w.i32(x.NSpans());
    for (const auto& s : x.Spans) Encode(w, s);
    VisitLineTail(x, f);
}

std::int32_t DecodeLineHead(ByteReader& r, TyLine& x) {
    FieldReader f{r};
    VisitLineHead(x, f);
    return r.i32();
}

void DecodeLineTail(ByteReader& r, TyLine& x) {
    FieldReader f{r};
    VisitLineTail(x, f);
}

}  // namespace qem
