#pragma once
// Position of the sun in the sky: elevation above the horizon and azimuth, for a place and an
// instant. Angles in degrees; azimuths from north through east (90), south (180), west (270).
#include "engine/Units.h"
#include "platform/CivilTime.h"

namespace qem {

struct SunPosition {
    Degrees elevation = 0;  // above the horizon; negative below it
    Degrees azimuth = 0;    // from north, clockwise, 0 ... 360
};

// The sun of declination delta at hour angle omega (negative before solar noon, 15 degrees an
// hour) seen from latitude phi:
//   sin(hs) = cos(phi) cos(delta) cos(omega) + sin(phi) sin(delta),
//   Zs = 180 + atan2(sin(omega), cos(omega) sin(phi) - tan(delta) cos(phi)),
// the spherical astronomy of every solar-position method (IEEE Std 738-2012, eqs. (16a), (17a)-(17b)).
SunPosition SunFromHourAngle(Degrees phi, Degrees delta, Degrees omega);

// The fractional year gamma = 2 pi / N (day - 1 + (hour - 12)/24), rad, of a day of the year 1 ... 366
// and the UTC hour; N = 365 or 366 days in the year. Spencer, J. W. (1971), "Fourier series
// representation of the position of the sun", Search 2(5), 172.
double FractionalYear(int dayOfYear, double hourUtc, int daysInYear);

// Solar declination, degrees: Spencer (1971) series in gamma (error below 0.035 degree).
Degrees SolarDeclination(double gamma);

// Equation of time, minutes: Spencer (1971) series in gamma (error below 0.6 minute).
Minutes EquationOfTime(double gamma);

// The sun at instant t (UTC) over latitude phi and longitude lambda (east positive):
// declination and equation of time of Spencer (1971), true solar time = UTC + 4 lambda + EoT
// (minutes), hour angle = true solar time / 4 - 180 degrees; the method of the NOAA Global
// Monitoring Laboratory's "General Solar Position Calculations". No refraction.
SunPosition SunAt(UnixSeconds t, Degrees phi, Degrees lambda);

}  // namespace qem
