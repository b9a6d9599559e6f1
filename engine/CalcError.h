#pragma once
// The one error of the engine: an arithmetic failure (square root of a negative number,
// division by zero, overflow) aborts the calculation; the commands report it.
#include <cmath>
#include <stdexcept>
#include <string>

namespace qem {

// What the commands show when a calculation ends in an error.
inline constexpr const char* kMsgCalcError = "Произошла ошибка при расчёте";

// kMsgCalcError and, on the next line when given, what is wrong with the data (a value that
// no calculation can use, with its line and span).
inline std::string CalcErrorText(const std::string& detail = "") {
    return detail.empty() ? std::string(kMsgCalcError) : std::string(kMsgCalcError) + "\n" + detail;
}

class CalcError : public std::runtime_error {
public:
    explicit CalcError(const std::string& what) : std::runtime_error(what) {}
};

// A value of the span or line data that no calculation can use (engine/UsableValues.h); the
// text names the line, the span and the field, in Russian.
class UnusableValueError : public CalcError {
public:
    explicit UnusableValueError(const std::string& what) : CalcError(what) {}
};

// The message of a calculation that ended with e: kMsgCalcError, followed by the text of an
// unusable value.
inline std::string CalcErrorText(const std::exception& e) {
    return CalcErrorText(dynamic_cast<const UnusableValueError*>(&e) ? std::string(e.what()) : std::string());
}

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
