// A prepared span keeps what it has computed; whatever order the states are asked in, each
// must be exactly the one a fresh SpanState on an untouched copy of the span gives, and an
// error must come out every time it is asked for, with the same text.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

#include "SyntheticLine.h"
#include "engine/CalcError.h"
#include "engine/HeatBalance.h"
#include "engine/StateChange.h"

using namespace qem;

namespace {

std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// Field by field, bit for bit.
void ExpectSame(const SpanResult& a, const SpanResult& b, const std::string& where) {
    const double fa[] = {a.Sigma, a.TensionMax, a.TCond,     a.SagMid,  a.Rise1,   a.Rise2,      a.IClear,
                         a.IMax,  a.ClrMin,     a.ClrGround, a.XClrMin, a.ClrObst, a.GroundAtMin};
    const double fb[] = {b.Sigma, b.TensionMax, b.TCond,     b.SagMid,  b.Rise1,   b.Rise2,      b.IClear,
                         b.IMax,  b.ClrMin,     b.ClrGround, b.XClrMin, b.ClrObst, b.GroundAtMin};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(Bits(fa[i]), Bits(fb[i])) << where << " field " << i;
}

// Temperatures in an order that revisits some (the states kept) and crosses others.
const double kTemps[] = {70, 15, -20, 70, 90.25, 15, 249, -49, 90.25, 0, -0.0, 0};

TEST(PreparedSpan, EveryStateIsThatOfAFreshSpanStateWhateverTheOrder) {
    // The edge-case spans: no reference state, untidy and unsorted profiles, points and an
    // obstacle beyond the span, equal clearances, the lowest point beyond support 2; and an
    // iced span of the varied line.
    TyLine edges = test::EdgeLine();
    TyLine varied = test::VariedLine(10);
    std::vector<TySpan> spans(edges.Spans.begin(), edges.Spans.end());
    spans.push_back(varied.Span(7));  // ice regime: every temperature gives the state at the air temperature
    ASSERT_GT(spans.back().Bgv, 0.001f);
    for (std::size_t n = 0; n < spans.size(); ++n) {
        TySpan span = spans[n];
        PreparedSpan prepared(span);
        for (double T : kTemps) {
            for (int k = 1; k <= 2; ++k) {
                const std::string where =
                    "span " + std::to_string(n + 1) + " T " + std::to_string(T) + " k " + std::to_string(k);
                // Results start from a filled record: what is not written must stay.
                SpanResult want, got, wantFirst, gotFirst;
                for (SpanResult* r : {&want, &got, &wantFirst, &gotFirst}) r->ClrObst = r->Sigma = 123.5;
                TySpan fresh = spans[n];
                SpanState(fresh, k, T, want);
                fresh = spans[n];
                SpanStateFirst(fresh, k, T, wantFirst);
                const std::optional<Metres> obst = prepared.ObstacleClearance(k, T);
                prepared.StateFirst(k, T, gotFirst);
                prepared.State(k, T, got);
                ExpectSame(want, got, where);
                ExpectSame(wantFirst, gotFirst, where + " first");
                EXPECT_EQ(fresh.Zem, span.Zem) << where << ": the profile is tidied the same way";
                if (spans[n].Si < 0.01f) {
                    EXPECT_FALSE(obst) << where;
                } else {
                    ASSERT_TRUE(obst) << where;
                    EXPECT_EQ(Bits(*obst), Bits(want.ClrObst)) << where;
                }
            }
            EXPECT_EQ(Bits(prepared.ConductorTemp(span.Tvv, span.Vv, span.Alfv, 10 * T + 500)),
                      Bits(ConductorTemp(span, span.Tvv, span.Vv, span.Alfv, 10 * T + 500)));
        }
    }
}

TEST(PreparedSpan, AnErrorComesOutEveryTimeWithTheTextOfSpanState) {
    auto message = [](auto f) {
        try {
            f();
        } catch (const CalcError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    struct Case {
        const char* what;
        void (*spoil)(TySpan&);
    } cases[] = {
        {"conductor without section", [](TySpan& s) { s.Pr.SAlN = s.Pr.SStN = 0; }},
        {"no span length", [](TySpan& s) { s.Lpr = 0; }},
        {"reference stress not a number", [](TySpan& s) { s.Si = std::numeric_limits<float>::quiet_NaN(); }},
    };
    for (const Case& c : cases) {
        TySpan span = test::UniformSpan(3);
        c.spoil(span);
        TySpan fresh = span;
        SpanResult r;
        const std::string want = message([&] { SpanState(fresh, 1, 60, r); });
        ASSERT_NE(want, "no error") << c.what;
        PreparedSpan prepared(span);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(message([&] { prepared.State(1, 60, r); }), want) << c.what;
            EXPECT_EQ(message([&] { prepared.ObstacleClearance(1, 60); }), want) << c.what;
        }
    }
    // The obstacle number is checked before anything is looked up.
    TySpan span = test::UniformSpan(3);
    PreparedSpan prepared(span);
    SpanResult r;
    prepared.State(1, 60, r);
    EXPECT_EQ(message([&] { prepared.State(11, 60, r); }), "obstacle number 11 outside 1..10");
}

}  // namespace
