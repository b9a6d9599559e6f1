#pragma once
// Clearance norms of the rules in force and the climatic region tables.
#include "model/IArray.h"
#include "model/QEMcom.h"

namespace qem {

struct Norms {
    // Allowable clearance conductor - ground, m, [Uvl 0..7][TM 0..3].
    float NormGround[8][4] = {};
    // Per voltage class 24 values; only [Uvl][0], the distance between crossing conductors, is used.
    float NormCross[8][24] = {};
    // Allowable clearance to an object, m, [Uvl][TPrp - 8]; kinds 5 and 6 are kept only.
    float NormObst[8][7] = {};
    IArray<float, 1, 10> IceReg;   // ice wall, cm, per ice region
    IArray<float, 1, 10> WindReg;  // wind speed, m/s, per wind region
};

inline int ClampClass(int uvl) { return uvl < 0 ? 0 : uvl > 7 ? 7 : uvl; }
inline int ClampTerrain(int tm) { return tm < 0 ? 0 : tm > 3 ? 3 : tm; }

// Ground clearance norm of a span on a line of class uvl.
inline float GroundNorm(const Norms& n, int uvl, int tm) { return n.NormGround[ClampClass(uvl)][ClampTerrain(tm)]; }

// Clearance norm for an obstacle of type tprp on a line of class uvl: a crossed line (0..7)
// takes the first crossing entry of the line's class, an object (8..12) its own entry.
inline float ObstacleTypeNorm(const Norms& n, int uvl, int tprp) {
    int c = ClampClass(uvl);
    if (tprp >= 8 && tprp <= 12) return n.NormObst[c][tprp - 8];
    return n.NormCross[c][0];
}

}  // namespace qem
