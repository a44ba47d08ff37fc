// The runtime's conversion of a floating-point value into its sign, decimal
// exponent and digits: the ground of the %e, %f and %g conversions.
#pragma once

// How the digit count of FloatToDecimal is meant.
enum FloatDigitMode : int {
    SignificantDigits = 0,  // digitCount significant digits (%e, %g)
    DigitsAfterPoint = 1,   // digitCount digits after the decimal point (%f)
};

// The exact decimal expansion of a double has at most 767 significant digits;
// one more for a carry of the rounding, and the terminator.
inline constexpr int DecimalDigitsCapacity = 770;
// Digits after the point beyond this many are always zero for a double.
inline constexpr int MaxFractionDigits = 1074;
inline constexpr int MaxSignificantDigits = DecimalDigitsCapacity - 2;

// Decimal point reported for an infinity or a NaN ("inf" or "nan" in digits).
inline constexpr int DecimalPointOfInfOrNaN = 9999;

// Rounds value to digitCount digits as mode says (counts beyond the maxima
// above are taken as the maxima: the missing digits are zeros) and writes:
// into digits, the digit string without leading or trailing zeros, empty when
// the rounded value is zero (at most DecimalDigitsCapacity bytes with the
// terminator); into *decimalPoint, where the decimal point stands relative to
// that string, value = 0.d1d2d3... * 10^decimalPoint.
// Returns 1 when the sign bit of value is set, else 0.
//
// Begins with the hot-patch prologue: the shell puts PositiveZeroHook in front.
int FloatToDecimal(double value, int mode, int digitCount, int* decimalPoint, char* digits)
    __attribute__((ms_hook_prologue, noinline, noipa));

using FloatToDecimalRoutine = int (*)(double value, int mode, int digitCount, int* decimalPoint,
                                      char* digits);
