#include "runtime/NumberFormat.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale>

#include "runtime/FloatErrors.h"
#include "tests/support/TempDir.h"

namespace {

std::string ConvertErrorOf(const std::string& Text) {
  try {
    StrToFloat(Text);
  } catch (const EConvertError& Error) {
    return Error.Message();
  }
  return "(nothing raised)";
}

uint32_t BitsOf(float Value) {
  uint32_t Bits;
  std::memcpy(&Bits, &Value, sizeof Bits);
  return Bits;
}

TEST(FormatFloat, RoundsTheExactValueHalfAwayFromZero) {
  EXPECT_EQ(FormatFixed3(0.0625f), "0.063");  // an exact tie rounds up, not to even
  EXPECT_EQ(FormatFixed3(-0.0625f), "-0.063");
  EXPECT_EQ(FormatFixed3(0.0006f), "0.001");
  EXPECT_EQ(FormatFixed3(0.0004f), "0.000");
  EXPECT_EQ(FormatFixed3(-0.0006f), "-0.001");
  // 0.9995f is really 0.99949997..., below the tie.
  EXPECT_EQ(FormatFixed3(0.9995f), "0.999");
  EXPECT_EQ(FormatFixed2(0.125f), "0.13");
  EXPECT_EQ(FormatFloat(2.5f, 0), "3");
}

TEST(FormatFloat, ZeroIsWrittenWithoutASign) {
  EXPECT_EQ(FormatFixed3(0.0f), "0.000");
  EXPECT_EQ(FormatFixed3(-0.0f), "0.000");
  EXPECT_EQ(FormatFixed3(-0.0004f), "0.000");
  EXPECT_EQ(FormatFixed2(-0.004f), "0.00");
  EXPECT_EQ(FormatFixed3(-std::numeric_limits<float>::denorm_min()), "0.000");
}

TEST(FormatFloat, PadsAndCarriesIntoTheIntegerPart) {
  EXPECT_EQ(FormatFixed3(1.5f), "1.500");
  EXPECT_EQ(FormatFixed3(-2.25f), "-2.250");
  EXPECT_EQ(FormatFixed2(30.0f), "30.00");
  EXPECT_EQ(FormatFixed3(9.9996f), "10.000");
  EXPECT_EQ(FormatFixed3(-999.9999f), "-1000.000");
}

TEST(FormatFloat, WritesTheLargestFloatsInFull) {
  EXPECT_EQ(FormatFixed3(3.4e38f), "339999995214436424907732413799364296704.000");
  EXPECT_EQ(FormatFixed2(-FLT_MAX), "-340282346638528859811704183484516925440.00");
}

TEST(FormatFloat, NonFiniteValuesAreNamed) {
  EXPECT_EQ(FormatFixed3(std::numeric_limits<float>::quiet_NaN()), "NAN");
  EXPECT_EQ(FormatFixed3(std::numeric_limits<float>::infinity()), "INF");
  EXPECT_EQ(FormatFixed3(-std::numeric_limits<float>::infinity()), "-INF");
}

TEST(StrToFloat, ReadsDecimalTextWithPointSignExponentAndBlanks) {
  EXPECT_EQ(StrToFloat("1.5"), 1.5f);
  EXPECT_EQ(StrToFloat(" \t-2.25 \t"), -2.25f);
  EXPECT_EQ(StrToFloat("+3"), 3.0f);
  EXPECT_EQ(StrToFloat("1."), 1.0f);
  EXPECT_EQ(StrToFloat(".5"), 0.5f);
  EXPECT_EQ(StrToFloat("-.5"), -0.5f);
  EXPECT_EQ(StrToFloat("1e3"), 1000.0f);
  EXPECT_EQ(StrToFloat("1.5E-2"), 0.015f);
  EXPECT_EQ(StrToFloat("25e+1"), 250.0f);
  EXPECT_EQ(StrToFloat("0.1"), 0.1f);  // the nearest float
  EXPECT_EQ(StrToFloat("00012.50"), 12.5f);
}

TEST(StrToFloat, KeepsTheSignOfZeroAndIgnoresUnderflow) {
  EXPECT_TRUE(std::signbit(StrToFloat("-0")));
  EXPECT_FALSE(std::signbit(StrToFloat("0.000")));
  EXPECT_EQ(BitsOf(StrToFloat("1e-50")), BitsOf(0.0f));
  EXPECT_EQ(BitsOf(StrToFloat("-0.000001e-45")), BitsOf(-0.0f));
  EXPECT_EQ(StrToFloat("1.5e-45"), std::numeric_limits<float>::denorm_min());
}

TEST(StrToFloat, RefusesAnythingElseQuotingTheTextAsGiven) {
  for (const char* Text : {"", " ", "abc", "1,5", "0x10", "inf", "-inf", "nan", "infinity", "1e", "1e+", "e5",
                           "+", "-", ".", "-.", "+-1", "--1", "1.5x", "1 5", "1..5", "1.5.", "1e5.0", "\n1"})
    EXPECT_EQ(ConvertErrorOf(Text), "'" + std::string(Text) + "' is not a valid floating point value") << Text;
  EXPECT_EQ(ConvertErrorOf(" 1,5 "), "' 1,5 ' is not a valid floating point value");
}

TEST(StrToFloat, ValuesBeyondTheFloatRangeOverflow) {
  for (const char* Text : {"1e39", "-1e39", "3.5e38", "1e99999999999", "0.0000001e46"}) {
    try {
      StrToFloat(Text);
      ADD_FAILURE() << Text << " was accepted";
    } catch (const EOverflow& Error) {
      EXPECT_EQ(Error.Message(), "Floating point overflow") << Text;
    }
  }
  EXPECT_EQ(StrToFloat("3.4028235e38"), FLT_MAX);
}

TEST(FloatToRoundTrip, WritesTheShortestTextThatReadsBack) {
  EXPECT_EQ(FloatToRoundTrip(1.5f), "1.5");
  EXPECT_EQ(FloatToRoundTrip(-0.0f), "-0");
  EXPECT_EQ(FloatToRoundTrip(FLT_MAX), "3.4028235e+38");
  EXPECT_EQ(FloatToRoundTrip(0.1f), "0.1");
  for (float Value : {0.1f, -2.25f, 1.0f / 3.0f, FLT_MAX, -FLT_MIN, std::numeric_limits<float>::denorm_min(),
                      123456792.0f, -0.0f, 7.0e-10f})
    EXPECT_EQ(BitsOf(StrToFloat(FloatToRoundTrip(Value))), BitsOf(Value)) << FloatToRoundTrip(Value);
}

TEST(TryStrToInt, ReadsWholeNumbersWithSignAndBlanks) {
  int Value = 0;
  EXPECT_TRUE(TryStrToInt("100", Value));
  EXPECT_EQ(Value, 100);
  EXPECT_TRUE(TryStrToInt(" \t-20 ", Value));
  EXPECT_EQ(Value, -20);
  EXPECT_TRUE(TryStrToInt("+7", Value));
  EXPECT_EQ(Value, 7);
  EXPECT_TRUE(TryStrToInt("2147483647", Value));
  EXPECT_EQ(Value, 2147483647);
  EXPECT_TRUE(TryStrToInt("-2147483648", Value));
  EXPECT_EQ(Value, -2147483647 - 1);
}

TEST(TryStrToInt, RefusesOtherTextAndLeavesTheValue) {
  for (const char* Text : {"", " ", "abc", "1.0", "1e2", "1 0", "+", "-", "--1", "0x10", "2147483648",
                           "-2147483649", "99999999999999999999999"}) {
    int Value = 42;
    EXPECT_FALSE(TryStrToInt(Text, Value)) << Text;
    EXPECT_EQ(Value, 42) << Text;
  }
}

// A locale whose numbers use a comma, for C++ streams and anything that asks
// std::locale.
struct TCommaPoint : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

// Switches the C library to a locale with a decimal comma: an installed one,
// or else one generated into Dir (a second or two) where localedef and the
// locale sources exist. False when neither can be had.
bool SetCommaCLocale(const TempDir& Dir) {
  auto Try = [](const char* Name) {
    return std::setlocale(LC_ALL, Name) && *std::localeconv()->decimal_point == ',';
  };
  for (const char* Name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"})
    if (Try(Name)) return true;
  const std::string Command = "localedef -i de_DE -f ISO-8859-1 '" + Dir.File("de_DE.ISO-8859-1") +
                              "' >/dev/null 2>&1";
  if (std::system(Command.c_str()) == -1) return false;
  setenv("LOCPATH", Dir.Path().c_str(), 1);
  const bool Set = Try("de_DE.ISO-8859-1");
  unsetenv("LOCPATH");
  return Set;
}

TEST(NumberFormat, UsesThePointUnderACommaLocale) {
  TempDir Dir;
  const std::string SavedC = std::setlocale(LC_ALL, nullptr);
  const std::locale SavedCpp = std::locale::global(std::locale(std::locale::classic(), new TCommaPoint));
  const bool CommaC = SetCommaCLocale(Dir);
  // The C library itself now writes a comma, so the case is not vacuous.
  const std::string LibraryText = CommaC ? std::to_string(1.5) : "1,500000";
  const std::string Formatted = FormatFixed3(-1234.5f);
  const float Read = StrToFloat(" 1.25 ");
  const std::string Rejected = ConvertErrorOf("1,25");
  const std::string RoundTrip = FloatToRoundTrip(0.5f);
  std::setlocale(LC_ALL, SavedC.c_str());
  std::locale::global(SavedCpp);

  EXPECT_EQ(LibraryText, "1,500000");
  EXPECT_EQ(Formatted, "-1234.500");
  EXPECT_EQ(Read, 1.25f);
  EXPECT_EQ(Rejected, "'1,25' is not a valid floating point value");
  EXPECT_EQ(RoundTrip, "0.5");
  if (!CommaC) GTEST_LOG_(INFO) << "no comma locale of the C library could be had; checked the C++ one only";
}

}  // namespace
