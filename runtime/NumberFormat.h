#pragma once
// Numbers as the system shows and reads them: "." as the decimal point
// whatever the user's locale.
#include <string>

#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EConvertError);  // "'%s' is not a valid floating point value"

// The value of the 32-bit float, exactly, rounded half away from zero to
// Decimals digits after the point, at least one digit before it, a minus sign
// only when the rounded value is not zero. FormatFloat(0.12345f, 3) == "0.123".
std::string FormatFloat(float Value, int Decimals);
inline std::string FormatFixed3(float Value) { return FormatFloat(Value, 3); }  // "0.000"
inline std::string FormatFixed2(float Value) { return FormatFloat(Value, 2); }  // "0.00"

// Decimal text with "." as the point: surrounding blanks, an optional sign,
// digits with an optional fraction, an optional exponent. Anything else raises
// EConvertError with the text quoted. A value beyond the float range raises
// EOverflow. The result is the nearest 32-bit float.
float StrToFloat(const std::string& Text);

// The shortest decimal text that reads back to exactly this float ("1.5",
// "-0", "3.4028235e+38"); for the command line and JSON.
std::string FloatToRoundTrip(float Value);

// A whole decimal number with an optional sign and surrounding blanks, as the
// zoom box reads it; false when the text is anything else or out of range.
bool TryStrToInt(const std::string& Text, int& Value);
