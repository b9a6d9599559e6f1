// Packed record images against images laid out by hand at the stored offsets.
#include <gtest/gtest.h>

#include <cstring>

#include "NetworkFixtures.h"
#include "model/Records.h"

using namespace qem;
using namespace qem::test;

namespace {

// A byte image written field by field at explicit offsets; every byte must be written
// exactly once, so a gap or an overlap in the offsets below shows up too.
class Image {
public:
    explicit Image(std::size_t n) : bytes(n, 0), written(n, 0) {}
    std::vector<std::uint8_t> bytes;

    void raw(std::size_t off, const void* p, std::size_t n) {
        ASSERT_LE(off + n, bytes.size()) << "field at " << off << " runs past the record";
        std::memcpy(bytes.data() + off, p, n);
        for (std::size_t i = off; i < off + n; ++i) {
            EXPECT_EQ(written[i], 0) << "byte " << i << " written twice";
            written[i] = 1;
        }
    }
    void i32(std::size_t off, std::int32_t v) { raw(off, &v, 4); }
    void f32(std::size_t off, float v) { raw(off, &v, 4); }
    void f64(std::size_t off, double v) { raw(off, &v, 8); }
    void u8(std::size_t off, std::uint8_t v) { raw(off, &v, 1); }
    template <int N>
    void str(std::size_t off, const ShortStr<N>& s) {
        u8(off, s.Len);
        raw(off + 1, s.Chars.data(), N);
    }
    void sub(std::size_t off, const Image& other) { raw(off, other.bytes.data(), other.bytes.size()); }
    void expectComplete() const {
        for (std::size_t i = 0; i < written.size(); ++i) ASSERT_EQ(written[i], 1) << "byte " << i << " not laid out";
    }

private:
    std::vector<std::uint8_t> written;
};

Image WireImage(const TyWire& w) {
    Image m(67);
    m.str(0, w.Name);
    m.f32(31, w.SAlN);
    m.f32(35, w.SStN);
    m.f32(39, w.D);
    m.f32(43, w.DSt);
    m.f32(47, w.R);
    m.f32(51, w.AlfaR);
    m.f32(55, w.MAl);
    m.f32(59, w.MSt);
    m.f32(63, w.TMax);
    return m;
}

Image KOImage(const TyKO& k) {
    Image m(470);
    m.str(0, k.Name);
    m.str(101, k.FullName);
    m.i32(357, k.I);
    m.i32(361, k.U);
    for (int c = 1; c <= 13; ++c) m.i32(365 + 4 * (c - 1), k.DDTN[c]);
    for (int c = 1; c <= 13; ++c) m.i32(417 + 4 * (c - 1), k.ADTN[c]);
    m.u8(469, k.Kind);
    return m;
}

Image PrepImage(const TyPrep& p) {
    Image m(24);
    m.f32(0, p.Lprep);
    m.f32(4, p.Hprep);
    m.f32(8, p.GabPrep);
    m.f32(12, p.HSeaPrep);
    m.f32(16, p.GabZem);
    m.i32(20, p.TPrp);
    return m;
}

Image ZamerImage(const TyZamer& z) {
    Image m(48);
    m.i32(0, z.Tzv);
    m.f64(4, z.Time);
    m.f32(12, z.FZam);
    m.f32(16, z.Res16);
    m.f32(20, z.Res20);
    m.f32(24, z.HMid);
    m.f32(28, z.I);
    m.f32(32, z.TPr);
    m.f32(36, z.Tv);
    m.f32(40, z.V);
    m.f32(44, z.Alf);
    return m;
}

Image SpanImage(const TySpan& s) {
    Image m(1561);
    m.str(0, s.Nop1);
    m.str(6, s.Nop2);
    m.str(12, s.Comm);
    m.i32(113, s.Mpr);
    m.sub(117, WireImage(s.Pr));
    const float head[] = {s.Si, s.Tv, s.V, s.Bg, s.Res200, s.Res204, s.Res208, s.Res212, s.Res216};
    for (int i = 0; i < 9; ++i) m.f32(184 + 4 * i, head[i]);
    m.i32(220, s.RegG);
    m.i32(224, s.RegV);
    m.raw(228, s.Res228.data(), 4);
    for (int k = 0; k <= 20; ++k) m.i32(232 + 4 * k, s.AprNop[k]);
    for (int k = 0; k <= 20; ++k) m.f32(316 + 4 * k, s.AprL[k]);
    for (int k = 0; k <= 20; ++k) m.f32(400 + 4 * k, s.AprH[k]);
    for (int i = 1; i <= 10; ++i) m.sub(484 + 24 * (i - 1), PrepImage(s.Prep[i]));
    m.i32(724, s.NPrep);
    for (int i = 1; i <= 10; ++i) {
        m.f32(728 + 8 * (i - 1), s.Zem[i].ZemH);
        m.f32(732 + 8 * (i - 1), s.Zem[i].ZemL);
    }
    m.f32(808, s.Lpr);
    m.f32(812, s.Res812);
    m.f32(816, s.Lapr);
    m.f32(820, s.H1);
    m.f32(824, s.H2);
    m.f32(828, s.Hpr1);
    m.f32(832, s.Hpr2);
    m.f32(836, s.AngP);
    m.f32(840, s.Fi);
    m.f32(844, s.PrBreak);
    m.f32(848, s.Res848);
    m.f32(852, s.Res852);
    m.f32(856, s.M_middle_h);
    m.f32(860, s.Res860);
    m.f32(864, s.Tvv);
    m.f32(868, s.Vv);
    m.f32(872, s.Alfv);
    m.f32(876, s.Iv);
    m.f32(880, s.Bgv);
    m.f32(884, s.Gamma);
    m.i32(888, s.Tzv);
    m.i32(892, s.TM);
    m.i32(896, s.RasUsl);
    for (int i = 1; i <= 10; ++i) m.sub(900 + 48 * (i - 1), ZamerImage(s.Zamer[i]));
    for (int k = 1; k <= 11; ++k) m.i32(1380 + 4 * (k - 1), s.Res1380[k]);
    m.raw(1424, s.Res1424.data(), 16);
    for (int i = 1; i <= 10; ++i) m.f32(1440 + 4 * (i - 1), s.HZam[i]);
    for (int i = 1; i <= 10; ++i) m.f32(1480 + 4 * (i - 1), s.LZam[i]);
    for (int i = 1; i <= 10; ++i) m.f32(1520 + 4 * (i - 1), s.HSeaZam[i]);
    m.u8(1560, s.UseSea);
    return m;
}

Image LineImage(const TyLine& l) {
    const std::size_t T = 77 + 1561 * l.Spans.size();
    Image m(T + 4044);
    m.str(0, l.From);
    m.str(26, l.To);
    m.i32(52, l.NVL);
    m.raw(56, l.Res56.data(), 4);
    m.raw(60, l.Res60.data(), 4);
    m.u8(64, l.Uvl);
    m.f32(65, l.CabDDTN);
    m.f32(69, l.CabADTN);
    m.i32(73, static_cast<std::int32_t>(l.Spans.size()));
    for (std::size_t s = 0; s < l.Spans.size(); ++s) m.sub(77 + 1561 * s, SpanImage(l.Spans[s]));
    const TyKO* kos[] = {&l.KOSwitch1, &l.KOSwitch2, &l.KODisc1, &l.KODisc2,
                         &l.KOTrap1,   &l.KOTrap2,   &l.KOCT1,   &l.KOCT2};
    for (int i = 0; i < 8; ++i) m.sub(T + 470 * i, KOImage(*kos[i]));
    const TyWire* buses[] = {&l.Bus1, &l.Bus2, &l.Bus3, &l.Bus4};
    for (int i = 0; i < 4; ++i) m.sub(T + 3760 + 67 * i, WireImage(*buses[i]));
    const Integer nbus[] = {l.NBus1, l.NBus2, l.NBus3, l.NBus4};
    for (int i = 0; i < 4; ++i) m.i32(T + 4028 + 4 * i, nbus[i]);
    return m;
}

template <class R>
void ExpectImage(const R& rec, const Image& hand) {
    hand.expectComplete();
    const std::vector<std::uint8_t> enc = ToBytes(rec);
    ASSERT_EQ(enc.size(), hand.bytes.size());
    for (std::size_t i = 0; i < enc.size(); ++i) ASSERT_EQ(enc[i], hand.bytes[i]) << "byte " << i;
    R back;
    ByteReader r(hand.bytes.data(), hand.bytes.size());
    Decode(r, back);
    EXPECT_EQ(r.left(), 0u);
    EXPECT_EQ(back, rec);
}

template <class T>
T At(const std::vector<std::uint8_t>& b, std::size_t off) {
    T v;
    std::memcpy(&v, b.data() + off, sizeof v);
    return v;
}

}  // namespace

TEST(Records, SizesOfThePackedImages) {
    Seq q(1);
    EXPECT_EQ(ToBytes(FullWire(q)).size(), 67u);
    EXPECT_EQ(ToBytes(FullKO(q)).size(), 470u);
    EXPECT_EQ(ToBytes(TyPrep{}).size(), 24u);
    EXPECT_EQ(ToBytes(TyZamer{}).size(), 48u);
    EXPECT_EQ(ToBytes(FullSpan(q)).size(), 1561u);
    TyLine l = FullLine(q, 2);
    EXPECT_EQ(ToBytes(l).size(), 77u + 2 * 1561u + 4044u);
    EXPECT_EQ(LineImageSize(2), 77u + 2 * 1561u + 4044u);
}

TEST(Records, EveryRecordMatchesItsHandLaidImage) {
    Seq q(2);
    {
        SCOPED_TRACE("TyWire");
        TyWire w = FullWire(q);
        ExpectImage(w, WireImage(w));
    }
    {
        SCOPED_TRACE("TyKO");
        TyKO k = FullKO(q);
        ExpectImage(k, KOImage(k));
    }
    {
        SCOPED_TRACE("TyPrep");
        TyPrep p{1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 6};
        ExpectImage(p, PrepImage(p));
    }
    {
        SCOPED_TRACE("TyZamer");
        TyZamer z = FullSpan(q).Zamer[3];
        ExpectImage(z, ZamerImage(z));
    }
    {
        SCOPED_TRACE("TySpan");
        TySpan s = FullSpan(q);
        ExpectImage(s, SpanImage(s));
    }
}

TEST(Records, LineImageHeaderSpansAndTail) {
    Seq q(3);
    const TyLine l = FullLine(q, 3);
    const Image hand = LineImage(l);
    hand.expectComplete();
    const std::vector<std::uint8_t> enc = ToBytes(l);
    ASSERT_EQ(enc, hand.bytes);

    ByteReader r(hand.bytes.data(), hand.bytes.size());
    TyLine back;
    ASSERT_EQ(DecodeLineHead(r, back), 3);
    back.Spans.resize(3);
    for (auto& s : back.Spans) Decode(r, s);
    DecodeLineTail(r, back);
    EXPECT_EQ(r.left(), 0u);
    EXPECT_EQ(back, l);
}

TEST(Records, NamedFieldsSitAtTheirOffsets) {
    TySpan s;
    s.Lpr = 321.5f;
    s.UseSea = 1;
    s.Zamer[1].Time = 45123.75;
    s.Zamer[2].Alf = 33.0f;
    s.Prep[10].TPrp = 12;
    s.Pr.TMax = 90.0f;
    s.Res1380[11] = 11;
    s.HSeaZam[10] = 155.0f;
    const auto b = ToBytes(s);
    EXPECT_EQ(At<float>(b, 808), 321.5f);
    EXPECT_EQ(b[1560], 1);
    EXPECT_EQ(At<double>(b, 904), 45123.75);
    EXPECT_EQ(At<float>(b, 900 + 48 + 44), 33.0f);
    EXPECT_EQ(At<std::int32_t>(b, 484 + 9 * 24 + 20), 12);
    EXPECT_EQ(At<float>(b, 117 + 63), 90.0f);
    EXPECT_EQ(At<std::int32_t>(b, 1380 + 40), 11);
    EXPECT_EQ(At<float>(b, 1520 + 36), 155.0f);

    TyLine l;
    l.Spans.resize(2);
    l.NBus4 = 4;
    l.KOCT2.Kind = 3;
    l.Bus4.TMax = 70.0f;
    l.CabADTN = 850.0f;
    const auto lb = ToBytes(l);
    const std::size_t T = 77 + 2 * 1561;
    EXPECT_EQ(At<std::int32_t>(lb, 73), 2);
    EXPECT_EQ(At<float>(lb, 69), 850.0f);
    EXPECT_EQ(At<std::int32_t>(lb, T + 4040), 4);
    EXPECT_EQ(lb[T + 3290 + 469], 3);
    EXPECT_EQ(At<float>(lb, T + 3961 + 63), 70.0f);
}

TEST(Records, ShortStrKeepsWindows1251TextAndTheBytesAfterIt) {
    // Length byte 3, "Ток" in Windows-1251, then bytes that belong to no text.
    std::vector<std::uint8_t> img(67, 0);
    img[0] = 3;
    img[1] = 0xD2, img[2] = 0xEE, img[3] = 0xEA;
    img[4] = 0xAA, img[30] = 0x55;
    ByteReader r(img.data(), img.size());
    TyWire w;
    Decode(r, w);
    EXPECT_EQ(Cp1251ToUtf8(w.Name.str()), "Ток");
    EXPECT_EQ(ToBytes(w), img);

    // A length byte above the capacity is kept as read and the text is cut at the capacity.
    img[0] = 200;
    ByteReader r2(img.data(), img.size());
    Decode(r2, w);
    EXPECT_EQ(w.Name.Len, 200);
    EXPECT_EQ(w.Name.str().size(), 30u);
    EXPECT_EQ(ToBytes(w), img);
}

TEST(Records, ShortImageIsRefused) {
    std::vector<std::uint8_t> img(1560, 0);
    ByteReader r(img.data(), img.size());
    TySpan s;
    EXPECT_THROW(Decode(r, s), std::out_of_range);
}
