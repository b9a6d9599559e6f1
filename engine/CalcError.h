#pragma once
// The one error of the engine: an arithmetic failure (square root of a negative number,
// division by zero, overflow) aborts the calculation; the commands report it.
#include <cmath>
#include <stdexcept>
#include <string>

namespace qem {

class CalcError : public std::runtime_error {
public:
    explicit CalcError(const std::string& what) : std::runtime_error(what) {}
};

// sqrt(x); a negative radicand is a calculation error.
inline double CheckedSqrt(double x, const char* what) {
    if (!(x >= 0)) throw CalcError(std::string("square root of a negative number: ") + what);
    return std::sqrt(x);
}

// a / b; a zero divisor or a non-finite result is a calculation error.
inline double CheckedDiv(double a, double b, const char* what) {
    if (b == 0) throw CalcError(std::string("division by zero: ") + what);
    double r = a / b;
    if (!std::isfinite(r)) throw CalcError(std::string("overflow: ") + what);
    return r;
}

// A value that must be finite (no NaN or infinity into a result).
inline double CheckedFinite(double x, const char* what) {
    if (!std::isfinite(x)) throw CalcError(std::string("overflow: ") + what);
    return x;
}

}  // namespace qem
