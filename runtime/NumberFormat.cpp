#include "runtime/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <string_view>
#include <system_error>

#include "runtime/FloatErrors.h"

namespace {

// Every float is a dyadic fraction whose decimal expansion ends within 149
// digits after the point (the smallest subnormal is 2^-149), so printing a
// float's value with this many digits is exact, not rounded.
constexpr int ExactFractionDigits = 149;

bool IsBlank(char C) { return C == ' ' || C == '\t'; }

std::string_view TrimBlanks(std::string_view Text) {
  while (!Text.empty() && IsBlank(Text.front())) Text.remove_prefix(1);
  while (!Text.empty() && IsBlank(Text.back())) Text.remove_suffix(1);
  return Text;
}

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

[[noreturn]] void RaiseNotAFloat(const std::string& Text) {
  throw EConvertError("'" + Text + "' is not a valid floating point value");
}

}  // namespace

std::string FormatFloat(float Value, int Decimals) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
  if (Decimals < 0) Decimals = 0;

  // The exact digits of |Value|: "III.FFF...", locale-free.
  char Buffer[64 + ExactFractionDigits];
  const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, std::fabs(static_cast<double>(Value)),
                                    std::chars_format::fixed, ExactFractionDigits);
  const std::string_view Exact(Buffer, static_cast<size_t>(Result.ptr - Buffer));
  const size_t Point = Exact.find('.');
  std::string Integer(Exact.substr(0, Point));
  std::string Fraction(Exact.substr(Point + 1));
  if (static_cast<int>(Fraction.size()) <= Decimals) Fraction.resize(static_cast<size_t>(Decimals) + 1, '0');

  // Half away from zero on the exact magnitude: the first dropped digit
  // decides, since everything after it only adds.
  const bool RoundUp = Fraction[static_cast<size_t>(Decimals)] >= '5';
  std::string Digits = Integer + Fraction.substr(0, static_cast<size_t>(Decimals));
  if (RoundUp) {
    size_t I = Digits.size();
    while (I > 0) {
      --I;
      if (Digits[I] == '9') {
        Digits[I] = '0';
      } else {
        ++Digits[I];
        break;
      }
      if (I == 0) {
        Digits.insert(Digits.begin(), '1');
        break;
      }
    }
  }
  const size_t IntegerDigits = Digits.size() - static_cast<size_t>(Decimals);
  std::string Text;
  const bool IsZero = std::all_of(Digits.begin(), Digits.end(), [](char C) { return C == '0'; });
  if (std::signbit(Value) && !IsZero) Text += '-';
  Text.append(Digits, 0, IntegerDigits);
  if (Decimals > 0) {
    Text += '.';
    Text.append(Digits, IntegerDigits, std::string::npos);
  }
  return Text;
}

float StrToFloat(const std::string& Text) {
  const std::string_view Number = TrimBlanks(Text);
  // Check the whole shape first: from_chars would accept "inf", "nan" and
  // hexadecimal forms, and stop silently before trailing text.
  size_t I = 0;
  bool Negative = false;
  if (I < Number.size() && (Number[I] == '+' || Number[I] == '-')) {
    Negative = Number[I] == '-';
    ++I;
  }
  const size_t MantissaStart = I;
  size_t IntegerDigits = 0;
  while (I < Number.size() && IsDigit(Number[I])) ++I, ++IntegerDigits;
  size_t FractionDigits = 0;
  if (I < Number.size() && Number[I] == '.') {
    ++I;
    while (I < Number.size() && IsDigit(Number[I])) ++I, ++FractionDigits;
  }
  if (IntegerDigits + FractionDigits == 0) RaiseNotAFloat(Text);
  const size_t MantissaEnd = I;
  long Exponent = 0;
  if (I < Number.size() && (Number[I] == 'e' || Number[I] == 'E')) {
    ++I;
    bool NegativeExponent = false;
    if (I < Number.size() && (Number[I] == '+' || Number[I] == '-')) {
      NegativeExponent = Number[I] == '-';
      ++I;
    }
    if (I >= Number.size() || !IsDigit(Number[I])) RaiseNotAFloat(Text);
    while (I < Number.size() && IsDigit(Number[I])) {
      if (Exponent < 100000000) Exponent = Exponent * 10 + (Number[I] - '0');
      ++I;
    }
    if (NegativeExponent) Exponent = -Exponent;
  }
  if (I != Number.size()) RaiseNotAFloat(Text);

  float Value = 0;
  const char* First = Number.data() + MantissaStart;
  const char* Last = Number.data() + Number.size();
  const auto Result = std::from_chars(First, Last, Value, std::chars_format::general);
  if (Result.ec == std::errc() && Result.ptr == Last) return Negative ? -Value : Value;
  if (Result.ec != std::errc::result_out_of_range) RaiseNotAFloat(Text);

  // Out of range: too small (underflow, not reported: the value is zero) or
  // too large (overflow). The decimal order of the leading digit decides.
  long Order = -1;
  long Position = 0;
  for (const char* P = First; P < Number.data() + MantissaEnd; ++P) {
    if (*P == '.') continue;
    if (*P != '0') {
      Order = static_cast<long>(IntegerDigits) - 1 - Position;
      break;
    }
    ++Position;
  }
  if (Order + Exponent < 0) return Negative ? -0.0f : 0.0f;
  RaiseOverflow();
}

std::string FloatToRoundTrip(float Value) {
  char Buffer[64];
  const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, Value);
  return std::string(Buffer, Result.ptr);
}

bool TryStrToInt(const std::string& Text, int& Value) {
  std::string_view Number = TrimBlanks(Text);
  bool Negative = false;
  if (!Number.empty() && (Number.front() == '+' || Number.front() == '-')) {
    Negative = Number.front() == '-';
    Number.remove_prefix(1);
  }
  if (Number.empty() || !std::all_of(Number.begin(), Number.end(), IsDigit)) return false;
  // Read the magnitude wide enough to take INT_MIN's.
  long long Magnitude = 0;
  const auto Result = std::from_chars(Number.data(), Number.data() + Number.size(), Magnitude);
  if (Result.ec != std::errc()) return false;
  const long long Signed = Negative ? -Magnitude : Magnitude;
  if (Signed < INT_MIN || Signed > INT_MAX) return false;
  Value = static_cast<int>(Signed);
  return true;
}
