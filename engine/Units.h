#pragma once
// Units of the engine. All are double: record fields are 32-bit floats, the arithmetic is
// carried out in double precision.
namespace qem {

using Celsius = double;
using Kelvin = double;  // temperature difference
using Metres = double;
using Cm = double;     // conductor diameter, ice wall
using Mm2 = double;    // cross-section
using MPerS = double;  // wind speed
using Degrees = double;
using Amperes = double;
using Newtons = double;
using Kgf = double;         // tension
using KgfPerM = double;     // load per metre
using KgfPerMm2 = double;   // stress
using KgfPerMMm2 = double;  // specific load, kgf/(m*mm2)
using KgfPerKm = double;    // masses of the catalog, kg/km
using GPerCm3 = double;     // ice density
using OhmPerKm = double;
using OhmPerM = double;
using PerKelvin = double;
using WPerM = double;    // heat flow per metre of conductor
using WPerMK = double;   // W/(m K): heat loss coefficient per metre of conductor, thermal conductivity
using WPerM2 = double;   // solar flux
using WPerM2K = double;  // heat transfer coefficient per square metre and kelvin
using M2PerS = double;   // kinematic viscosity
using JPerKgK = double;  // specific heat
using JPerKmK = double;  // heat capacity of one kilometre of conductor
using Minutes = double;
using Seconds = double;
using KgPerM = double;   // mass of one metre of conductor
using KgPerM3 = double;  // air density
using PaS = double;      // dynamic viscosity, Pa s = kg/(m s)
using JPerMK = double;   // heat capacity of one metre of conductor, J/(m K)

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kG = 9.81;  // gravity, m/s2; also N per kgf

}  // namespace qem
