#pragma once
// Reference state of a span from field measurements: the sag implied by a mid-span height
// measurement, the stress fitted to one or two measured conductor heights, the conversion
// to the reference state (25 C, no wind, no ice) and the check of the measurement data.
#include <string>

#include "engine/CalcError.h"
#include "engine/Modes.h"
#include "engine/Units.h"
#include "model/QEMcom.h"

namespace qem {

// Measurement data from which no stress can be fitted. The text (UTF-8) names the span and
// is shown to the user as it is.
class MeasurementError : public CalcError {
public:
    explicit MeasurementError(const std::string& what) : CalcError(what) {}
};

// The message for measurements from which the stress of the span comes out at or below 0.
std::string NoPositiveStressText(const TySpan& span);

// The slot 1..10 with the greatest Time; ties keep the lower slot, no measurement gives 1.
int LatestZamer(const TySpan& span);

// Zamer[k].FZam = (H1 + Hpr1 + H2 + Hpr2)/2 - G - Zamer[k].HMid, G the ground elevation at
// mid-span: the sag below the chord implied by the measured mid-span height, m.
void ZamerSag(TySpan& span, int k);

// Stress at the moment of measurement k under the load gamma1 = SpecificLoad(Pr, 0, 0,
// Zamer[k].V, Lpr), at which the sag at mid-span equals Zamer[k].FZam within 0.01 m,
// kgf/mm2. Start sigma = Lpr^2 (gammaW + gammaG)/(8 f), steps of 0.1 refined tenfold at each
// change of direction; at most 1 000 000 passes and 100 s. A sag not above 0 throws
// MeasurementError.
KgfPerMm2 FitSigmaOnePoint(const TySpan& span, int k);

// Mean of the stresses, under the load of the source data, at which the conductor passes
// the measured heights HZam[i] at LZam[i] (i = 1, 2 where LZam[i] > 0.001), kgf/mm2. With
// seaLevel ("Учитывать") the height becomes HZam[i] + HSeaZam[i] - min(H1, H2). No valid
// point throws MeasurementError.
KgfPerMm2 FitSigmaTwoPoints(const TySpan& span, bool seaLevel);

// The reference state of the span: Si from the fit (one point: carried by the state-change
// equation from (sigma1, gamma1, t1) to no wind, no ice and 25 C, not below 0), Tv = 25,
// V = 0, Bg = 0.
void ComputeInitialConditions(TySpan& span, ZamerMode mode, bool seaLevel);

// Checks the measurement data of the span before a calculation: mode 0 the one-point data
// (and switches UseSea when only the other reading of the mid-span height is plausible),
// mode -1 the two-point data. Returns the message of the last failing test, empty when the
// data are usable. Texts are UTF-8.
std::string CheckZamerData(TySpan& span, int mode);

}  // namespace qem
