#pragma once
// Records of the line network: lines, spans, obstacles, measurements, conductors and
// terminal equipment. Field names, types and order are those of the stored records; the
// packed little-endian images are produced and read by model/Records.cpp.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/IArray.h"

namespace qem {

using Byte = std::uint8_t;
using Integer = std::int32_t;
using Single = float;

// A length byte and N characters in Windows-1251. The bytes after the text are kept as
// read, so that a file round-trips byte for byte.
template <int N>
struct ShortStr {
    Byte Len = 0;
    std::array<Byte, N> Chars{};

    // The text as Windows-1251 bytes (a length above N is taken as N).
    std::string str() const {
        int n = Len > N ? N : Len;
        return std::string(reinterpret_cast<const char*>(Chars.data()), static_cast<std::size_t>(n));
    }
    // Sets the text from Windows-1251 bytes, cut to N characters; the tail is zeroed.
    void assign(std::string_view cp1251) {
        std::size_t n = cp1251.size() > N ? N : cp1251.size();
        Chars.fill(0);
        for (std::size_t i = 0; i < n; ++i) Chars[i] = static_cast<Byte>(cp1251[i]);
        Len = static_cast<Byte>(n);
    }
    bool empty() const { return Len == 0; }
    // Equal text (same length and bytes), whatever lies after it.
    bool sameText(const ShortStr& o) const { return str() == o.str(); }
    bool operator==(const ShortStr&) const = default;
};

// Obstacle types (TPrp), in stored order.
inline constexpr int kObstacleTypes = 13;
extern const std::array<const char*, kObstacleTypes> kObstacleTypeText;  // UTF-8
// Voltage classes (Uvl 0..7).
extern const std::array<const char*, 8> kVoltageText;  // "750" ... "6"

// One conductor: catalog entry, span conductor, busbar or bus of a line. 67 bytes.
struct TyWire {
    ShortStr<30> Name;
    Single SAlN = 0;   // nominal aluminium section, mm2
    Single SStN = 0;   // nominal steel section, mm2
    Single D = 0;      // diameter, cm
    Single DSt = 0;    // steel core diameter, cm
    Single R = 0;      // resistance at 20 C, Ohm/km
    Single AlfaR = 0;  // temperature coefficient of resistance, 1/K
    Single MAl = 0;    // aluminium mass, kg/km
    Single MSt = 0;    // steel mass, kg/km
    Single TMax = 0;   // maximum allowable conductor temperature, C
    bool operator==(const TyWire&) const = default;
};

// One piece of terminal equipment. 470 bytes.
struct TyKO {
    ShortStr<100> Name;           // type designation
    ShortStr<255> FullName;       // full name
    Integer I = 0;                // rated current, A
    Integer U = 0;                // rated voltage, V
    IArray<Integer, 1, 13> DDTN;  // long-term allowable current at 5c - 25 C
    IArray<Integer, 1, 13> ADTN;  // emergency allowable current at 5c - 25 C
    Byte Kind = 0;                // 0 switch, 1 disconnector, 2 line trap, 3 current transformer
    bool operator==(const TyKO&) const = default;
};

// One obstacle under a span. 24 bytes.
struct TyPrep {
    Single Lprep = 0;     // distance from the first support, m
    Single Hprep = 0;     // height of the obstacle, m
    Single GabPrep = 0;   // clearance conductor - crossed object, m
    Single HSeaPrep = 0;  // height above sea level at the crossing, m
    Single GabZem = 0;    // clearance conductor - ground at the obstacle, m
    Integer TPrp = 0;     // obstacle type 0..12
    bool operator==(const TyPrep&) const = default;
};

// One sag measurement. 48 bytes.
struct TyZamer {
    Integer Tzv = 0;  // air cleanliness 0..3
    double Time = 0;  // date-time, days since 30.12.1899
    Single FZam = 0;  // mid-span sag derived from the measurement, m
    Single Res16 = 0;
    Single Res20 = 0;
    Single HMid = 0;  // height of the conductor above ground at mid-span, m
    Single I = 0;     // current, A
    Single TPr = 0;   // conductor temperature, C
    Single Tv = 0;    // air temperature, C
    Single V = 0;     // wind speed, m/s
    Single Alf = 0;   // wind direction, degrees
    bool operator==(const TyZamer&) const = default;
};

struct TyZem {
    Single ZemH = 0;  // elevation mark, m
    Single ZemL = 0;  // distance from the first support, m
    bool operator==(const TyZem&) const = default;
};

// One span. 1561 bytes.
struct TySpan {
    ShortStr<5> Nop1;
    ShortStr<5> Nop2;
    ShortStr<100> Comm;
    Integer Mpr = 0;  // conductors per phase
    TyWire Pr;        // the span's conductor
    Single Si = 0;    // reference state: stress, kgf/mm2
    Single Tv = 0;    // reference state: air temperature, C
    Single V = 0;     // reference state: wind speed, m/s
    Single Bg = 0;    // reference state: ice wall, cm
    Single Res200 = 0, Res204 = 0, Res208 = 0, Res212 = 0, Res216 = 0;
    Integer RegG = 0;  // ice region 1..7
    Integer RegV = 0;  // wind region 1..7
    std::array<Byte, 4> Res228{};
    IArray<Integer, 0, 20> AprNop;
    IArray<Single, 0, 20> AprL;
    IArray<Single, 0, 20> AprH;
    IArray<TyPrep, 1, 10> Prep;
    Integer NPrep = 0;
    IArray<TyZem, 1, 10> Zem;
    Single Lpr = 0;  // span length, m
    Single Res812 = 0;
    Single Lapr = 0;     // ruling span of the anchor section, m
    Single H1 = 0;       // ground elevation at support 1, m
    Single H2 = 0;       // ground elevation at support 2, m
    Single Hpr1 = 0;     // suspension height at support 1, m
    Single Hpr2 = 0;     // suspension height at support 2, m
    Single AngP = 0;     // orientation to the meridian, degrees
    Single Fi = 0;       // latitude, degrees
    Single PrBreak = 0;  // breaking force, N
    Single Res848 = 0, Res852 = 0;
    Single M_middle_h = 0;  // height above sea level of the ground at mid-span, m
    Single Res860 = 0;
    Single Tvv = 0;    // source data: air temperature, C
    Single Vv = 0;     // source data: wind speed, m/s
    Single Alfv = 0;   // source data: wind direction, degrees
    Single Iv = 0;     // source data: line current, A
    Single Bgv = 0;    // source data: ice wall, cm
    Single Gamma = 0;  // source data: ice specific weight, g/cm3
    Integer Tzv = 0;   // air cleanliness 0..3
    Integer TM = 0;    // terrain type 0..3
    Integer RasUsl = 0;
    IArray<TyZamer, 1, 10> Zamer;
    IArray<Integer, 1, 11> Res1380;
    std::array<Byte, 16> Res1424{};
    IArray<Single, 1, 10> HZam;
    IArray<Single, 1, 10> LZam;
    IArray<Single, 1, 10> HSeaZam;
    Byte UseSea = 0;
    bool operator==(const TySpan&) const = default;
};

// One overhead line with its spans and the equipment at its two ends.
struct TyLine {
    ShortStr<25> From;
    ShortStr<25> To;
    Integer NVL = 0;
    std::array<Byte, 4> Res56{};
    std::array<Byte, 4> Res60{};
    Byte Uvl = 0;
    Single CabDDTN = 0;
    Single CabADTN = 0;
    std::vector<TySpan> Spans;  // spans 1..NSpans in route order
    TyKO KOSwitch1, KOSwitch2, KODisc1, KODisc2, KOTrap1, KOTrap2, KOCT1, KOCT2;
    TyWire Bus1, Bus2, Bus3, Bus4;
    Integer NBus1 = 0, NBus2 = 0, NBus3 = 0, NBus4 = 0;

    int NSpans() const { return static_cast<int>(Spans.size()); }
    // Span s, counted from 1.
    TySpan& Span(int s) { return Spans.at(static_cast<std::size_t>(s - 1)); }
    const TySpan& Span(int s) const { return Spans.at(static_cast<std::size_t>(s - 1)); }
    bool operator==(const TyLine&) const = default;
};

// Limits of the network.
inline constexpr int kMaxLines = 1000;
inline constexpr int kMaxSpans = 2550;

// Voltage text of a class index; an index above 7 reads as 7.
const char* VoltageText(int uvl);

}  // namespace qem
