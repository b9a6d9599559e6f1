#pragma once
// Fuzz targets: each fuzz_NAME.cpp hands one input to a reader of the program and, when the
// reader accepts it, to what a user would run next, checking what must always hold. A fault
// found is a Finding (or a crash, hang or sanitizer report). libFuzzer drives each target in
// the fuzz build (FuzzMain.cpp); the test run replays the seeds and the regression inputs of
// fuzz/corpus and fuzz/regressions through the same code (tests/core/test_fuzz_replay.cpp).
//
// A new target: fuzz/fuzz_NAME.cpp with QEM_FUZZ_TARGET(NAME) { ... }, the line
// qem_fuzz_target(NAME) in CMakeLists.txt, and seed files in fuzz/corpus/NAME (tools/fuzzseeds).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/CalcEnv.h"
#include "engine/Report.h"
#include "model/Norms.h"
#include "model/QEMcom.h"

namespace qem::fuzz {

using TargetFn = void (*)(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name;
    TargetFn run;
};

// The targets linked into the program, in no particular order.
inline std::vector<Target>& Targets() {
    static std::vector<Target> targets;
    return targets;
}

struct Registrar {
    Registrar(const char* name, TargetFn run) { Targets().push_back({name, run}); }
};

// Something that must hold did not. Deliberately not a std::exception: the commands catch
// those, and a finding must get through to the driver.
struct Finding {
    std::string what;
};
[[noreturn]] inline void Fail(const std::string& what) { throw Finding{what}; }

// Norms of the usual magnitudes: ground 7 m, crossed lines 3 m, objects 8 m.
const Norms& UsualNorms();
// A 110 kV line of one level 300 m span of АС 240/39 (the span of the mechanics tests) with a
// road at 150 m, a route profile and one mid-span measurement from which its reference state
// can be derived again.
TyLine HostLine();
// The environment of the calculations: the norms, 70 C long-term, one measurement.
CalcEnv HostEnv(const Norms& norms, float longTermTemp = 70);

// Fails when a report prints a number that is not finite ("NAN", "INF" of the formatting).
// The texts of names must not carry these letters: the targets set them first.
void RequireFiniteReport(const Report& r, const char* what);
// The texts of the line and its spans set to plain ones, so that a name cannot look like a
// non-finite number in a report.
void PlainNames(TyLine& line);

// What a user runs on the first line of an open network: the span report of each span (menu
// and tool bar), the line report, the allowable temperatures and the component limits; no
// report may print a non-finite number, a component limit must be finite.
void RunCalculations(const TyLine& line, const CalcEnv& env);

}  // namespace qem::fuzz

#define QEM_FUZZ_TARGET(name)                                                            \
    static void QemFuzz_##name(const std::uint8_t* data, std::size_t size);              \
    static const ::qem::fuzz::Registrar kQemFuzzRegistrar_##name(#name, QemFuzz_##name); \
    static void QemFuzz_##name(const std::uint8_t* data, std::size_t size)
