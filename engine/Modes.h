#pragma once
// Choices of the main window that the engine, the set-up operations and the reports share.
namespace qem {

// How the reference state of a span is measured: "По одному замеру" (the conductor height
// at mid-span) or "По двум замерам" (the conductor height at two points of the span).
enum class ZamerMode { OnePoint, TwoPoints };

}  // namespace qem
