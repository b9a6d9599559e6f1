// Long calculations on several threads: the pieces come back in their order, the first error
// is the one a single thread meets, a stop starts no further piece, and the allowable
// temperatures of a network, the series and the sweep are byte for byte those of one thread.
// The sanitizer stage of the test command runs these under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "ReportFixtures.h"
#include "SyntheticLine.h"
#include "TempFolder.h"
#include "lines/CalcCommands.h"
#include "lines/LimitTable.h"
#include "lines/Series.h"
#include "model/Network.h"
#include "platform/Parallel.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;
using namespace qem::test;

namespace {

// Pieces that take uneven times, so that later ones finish first.
void Uneven(int i) { std::this_thread::sleep_for(std::chrono::microseconds(((i * 7919) % 13) * 150)); }

}  // namespace

TEST(RunInOrder, DeliversInOrderAndRethrowsTheFirstErrorAfterThePiecesBeforeIt) {
    for (unsigned jobs : {1u, 2u, 5u}) {
        SCOPED_TRACE(jobs);
        std::vector<int> delivered;
        const int n = RunInOrder(
            40, jobs, [](int i) { return Uneven(i), i * i; },
            [&](int i, int& sq) {
                EXPECT_EQ(sq, i * i);
                delivered.push_back(i);
                return true;
            });
        EXPECT_EQ(n, 40);
        ASSERT_EQ(delivered.size(), 40u);
        for (int i = 0; i < 40; ++i) EXPECT_EQ(delivered[i], i);

        delivered.clear();
        try {
            RunInOrder(
                40, jobs,
                [](int i) {
                    Uneven(i);
                    if (i == 17 || i == 31) throw std::runtime_error("piece " + std::to_string(i));
                    return i;
                },
                [&](int i, int&) { return delivered.push_back(i), true; });
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "piece 17");
        }
        EXPECT_EQ(delivered.size(), 17u);
    }
}

TEST(RunInOrder, AStopStartsNoFurtherPiece) {
    for (unsigned jobs : {1u, 3u}) {
        SCOPED_TRACE(jobs);
        std::atomic<int> started{0};
        int delivered = 0, startedAtStop = -1;
        const int n = RunInOrder(
            1000, jobs,
            [&](int i) {
                ++started;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                return i;
            },
            [&](int, int&) { return ++delivered, true; },
            [&] {
                if (delivered < 5) return false;
                startedAtStop = started;
                return true;
            });
        EXPECT_EQ(n, 5);
        EXPECT_EQ(delivered, 5);
        // Only the pieces already under way when the stop came are finished; none is started.
        EXPECT_LE(started.load(), startedAtStop + int(jobs));
        // Delivery may refuse a piece too.
        delivered = 0;
        EXPECT_EQ(RunInOrder(
                      100, jobs, [](int i) { return i; }, [&](int i, int&) { return ++delivered, i < 9; }),
                  10);
        EXPECT_EQ(delivered, 10);
    }
}

namespace {

// A network of varied lines, the fourth of which fails part way (a span of no conductors per
// phase), and its allowable temperatures with the given number of threads.
struct AllowTempRun {
    std::string file, shown;
    CommandEnd end;
    std::vector<int> progress;
};

AllowTempRun AllowTempAll(unsigned jobs) {
    Network net;
    for (int l = 0; l < 5; ++l) net.Lines.push_back(l == 3 ? EdgeLine() : VariedLine(12 + 5 * l));
    net.Lines[3].Span(9).Mpr = 0;
    net.CurLine = 1;
    static const Norms norms = Norms110();
    CalcEnv env;
    env.norms = &norms;
    env.jobs = jobs;
    qemtest::TempFolder dir;
    ScriptedDialogs dlg;
    Report out;
    AllowTempRun r;
    r.end = AllowTempCommand(net, env, dlg, (dir / "qemras.txt").string(), true, out);
    r.file = qemtest::ReadText(dir / "qemras.txt");
    r.shown = Cp1251Text(out);
    r.progress = dlg.progress;
    return r;
}

}  // namespace

TEST(ParallelJobs, AllowableTemperaturesOfANetworkAreThoseOfOneThread) {
    const AllowTempRun one = AllowTempAll(1);
    EXPECT_EQ(one.end, CommandEnd::Failed);  // the fourth line fails: the tables before it stay
    EXPECT_GT(one.file.size(), 5000u);
    for (unsigned jobs : {2u, 4u}) {
        const AllowTempRun many = AllowTempAll(jobs);
        EXPECT_EQ(many.end, one.end);
        EXPECT_EQ(many.file, one.file) << jobs;
        EXPECT_EQ(many.shown, one.shown);
        EXPECT_EQ(many.progress, one.progress);
    }
}

TEST(ParallelJobs, SeriesAndSweepAreThoseOfOneThread) {
    TySpan s = TwoObstacleSpan();
    s.Mpr = 3;
    s.Iv = 900;
    SeriesSettings big;
    big.N1 = 11, big.N2 = 7, big.N3 = 13;
    big.dT = 3.3f, big.dV = 0.7f, big.dI = 47;
    SeriesSettings failing = big;
    failing.dT = -60;  // below absolute zero at the sixth air temperature: the table stops there
    for (const SeriesSettings* p : {&big, &failing}) {
        const SeriesSettings& st = *p;
        Report one;
        const SeriesOutcome o1 = CalculationSeries(s, st, 70, one, 1);
        EXPECT_EQ(o1.failed, p == &failing);
        for (unsigned jobs : {2u, 3u}) {
            Report many;
            const SeriesOutcome on = CalculationSeries(s, st, 70, many, jobs);
            EXPECT_EQ(on.failed, o1.failed);
            EXPECT_EQ(on.error, o1.error);
            EXPECT_EQ(Cp1251Text(many), Cp1251Text(one));
        }
    }
    Report sweep1, sweep3;
    OrientationSweep(s, 70, sweep1, 1);
    OrientationSweep(s, 70, sweep3, 3);
    EXPECT_EQ(Cp1251Text(sweep3), Cp1251Text(sweep1));
    EXPECT_EQ(sweep1.lines.size(), 3u + 361 + 1);
}

namespace {

std::string RatingText(const ConductorRating& r) {
    std::string t = Exact(r.T) + " " + (r.DDTN ? Exact(*r.DDTN) : "-") + " " + (r.ADTN ? Exact(*r.ADTN) : "-") + " '" +
                    r.failure + "' " + std::to_string(r.span);
    for (const auto& n : r.notes) t += " note " + n;
    return t + "\n" + Cp1251Text(r.report);
}

}  // namespace

// The fourteen ratings of the line conductor (the heart of the limit table and the exports):
// a line that rates, and one whose measurement check stops it at one span.
TEST(ParallelJobs, ConductorRatingsAreThoseOfOneThread) {
    static const Norms norms = Norms110();
    TyLine rated = RatedLine(18), stopped = VariedLine(15);
    stopped.Span(6).Zamer[1].HMid = 80;  // above the conductor: the measurement check stops the line
    for (const TyLine* line : {&rated, &stopped}) {
        std::string texts[2];
        std::vector<int> steps[2];
        for (int run = 0; run < 2; ++run) {
            CalcEnv env;
            env.norms = &norms;
            env.jobs = run == 0 ? 1 : 3;
            const auto r = RateLineConductorAll(*line, env, false, 1, [&](int done) {
                steps[run].push_back(done);
                return true;
            });
            ASSERT_TRUE(r);
            EXPECT_EQ((*r)[0].rated(), line == &rated) << (*r)[0].failure;
            for (const ConductorRating& c : *r) texts[run] += RatingText(c);
        }
        EXPECT_EQ(texts[1], texts[0]);
        EXPECT_EQ(steps[1], steps[0]);
    }
}
