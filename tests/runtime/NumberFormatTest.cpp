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
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

std::string ConvertErrorOf(const std::string& Text) {
  return MessageOf<EConvertError>([&] { StrToFloat(Text); });
}

uint32_t BitsOf(float Value) {
  uint32_t Bits;
  std::memcpy(&Bits, &Value, sizeof Bits);
  return Bits;
}

TEST(FormatFloat, WritesTheRowsText) {
  constexpr float Nan = std::numeric_limits<float>::quiet_NaN(), Inf = std::numeric_limits<float>::infinity();
  const struct {
    float Value;
    int Decimals;
    const char* Text;
  } Rows[] = {
      // The exact value rounds half away from zero.
      {0.0625f, 3, "0.063"},  // an exact tie rounds up, not to even
      {-0.0625f, 3, "-0.063"},
      {0.0006f, 3, "0.001"},
      {0.0004f, 3, "0.000"},
      {-0.0006f, 3, "-0.001"},
      {0.9995f, 3, "0.999"},  // really 0.99949997..., below the tie
      {0.125f, 2, "0.13"},
      {2.5f, 0, "3"},
      // Zero is written without a sign.
      {0.0f, 3, "0.000"},
      {-0.0f, 3, "0.000"},
      {-0.0004f, 3, "0.000"},
      {-0.004f, 2, "0.00"},
      {-std::numeric_limits<float>::denorm_min(), 3, "0.000"},
      // Padding, and carries into the integer part.
      {1.5f, 3, "1.500"},
      {-2.25f, 3, "-2.250"},
      {30.0f, 2, "30.00"},
      {9.9996f, 3, "10.000"},
      {-999.9999f, 3, "-1000.000"},
      // The largest floats in full.
      {3.4e38f, 3, "339999995214436424907732413799364296704.000"},
      {-FLT_MAX, 2, "-340282346638528859811704183484516925440.00"},
      // Values that are not finite are named.
      {Nan, 3, "NAN"},
      {Inf, 3, "INF"},
      {-Inf, 3, "-INF"},
  };
  for (const auto& Row : Rows) EXPECT_EQ(FormatFloat(Row.Value, Row.Decimals), Row.Text) << Row.Value;
  EXPECT_EQ(FormatFixed3(0.0625f), "0.063");
  EXPECT_EQ(FormatFixed2(0.125f), "0.13");
}

// Compared bit for bit, so that the sign of zero counts.
TEST(StrToFloat, ReadsDecimalTextWithPointSignExponentAndBlanks) {
  const struct {
    const char* Text;
    float Value;
  } Rows[] = {
      {"1.5", 1.5f},
      {" \t-2.25 \t", -2.25f},
      {"+3", 3.0f},
      {"1.", 1.0f},
      {".5", 0.5f},
      {"-.5", -0.5f},
      {"1e3", 1000.0f},
      {"1.5E-2", 0.015f},
      {"25e+1", 250.0f},
      {"0.1", 0.1f},  // the nearest float
      {"00012.50", 12.5f},
      {"3.4028235e38", FLT_MAX},
      // The sign of zero is kept; underflow is no error.
      {"-0", -0.0f},
      {"0.000", 0.0f},
      {"1e-50", 0.0f},
      {"-0.000001e-45", -0.0f},
      {"1.5e-45", std::numeric_limits<float>::denorm_min()},
  };
  for (const auto& Row : Rows) EXPECT_EQ(BitsOf(StrToFloat(Row.Text)), BitsOf(Row.Value)) << Row.Text;
}

TEST(StrToFloat, RefusesAnythingElseQuotingTheTextAsGiven) {
  for (const char* Text : {"",  " ", "abc", "1,5", "0x10", "inf", "-inf", "nan", "infinity", "1e",   "1e+",   "e5",
                           "+", "-", ".",   "-.",  "+-1",  "--1", "1.5x", "1 5", "1..5",     "1.5.", "1e5.0", "\n1"})
    EXPECT_EQ(ConvertErrorOf(Text), "'" + std::string(Text) + "' is not a valid floating point value") << Text;
  EXPECT_EQ(ConvertErrorOf(" 1,5 "), "' 1,5 ' is not a valid floating point value");
}

TEST(StrToFloat, ValuesBeyondTheFloatRangeOverflow) {
  for (const char* Text : {"1e39", "-1e39", "3.5e38", "1e99999999999", "0.0000001e46"}) {
    EXPECT_EQ(MessageOf<EOverflow>([&] { StrToFloat(Text); }), "Floating point overflow") << Text;
  }
}

TEST(FloatToRoundTrip, WritesTheShortestTextThatReadsBack) {
  const struct {
    float Value;
    const char* Text;
  } Rows[] = {{1.5f, "1.5"}, {-0.0f, "-0"}, {FLT_MAX, "3.4028235e+38"}, {0.1f, "0.1"}};
  for (const auto& Row : Rows) EXPECT_EQ(FloatToRoundTrip(Row.Value), Row.Text);
  for (float Value : {0.1f, -2.25f, 1.0f / 3.0f, FLT_MAX, -FLT_MIN, std::numeric_limits<float>::denorm_min(),
                      123456792.0f, -0.0f, 7.0e-10f})
    EXPECT_EQ(BitsOf(StrToFloat(FloatToRoundTrip(Value))), BitsOf(Value)) << FloatToRoundTrip(Value);
}

TEST(TryStrToInt, ReadsWholeNumbersWithSignAndBlanks) {
  const struct {
    const char* Text;
    int Value;
  } Rows[] = {{"100", 100}, {" \t-20 ", -20}, {"+7", 7}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}};
  for (const auto& Row : Rows) {
    int Value = 0;
    EXPECT_TRUE(TryStrToInt(Row.Text, Value)) << Row.Text;
    EXPECT_EQ(Value, Row.Value) << Row.Text;
  }
}

TEST(TryStrToInt, RefusesOtherTextAndLeavesTheValue) {
  for (const char* Text : {"", " ", "abc", "1.0", "1e2", "1 0", "+", "-", "--1", "0x10", "2147483648", "-2147483649",
                           "99999999999999999999999"}) {
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
  auto Try = [](const char* Name) { return std::setlocale(LC_ALL, Name) && *std::localeconv()->decimal_point == ','; };
  for (const char* Name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"})
    if (Try(Name)) return true;
  const std::string Command = "localedef -i de_DE -f ISO-8859-1 '" + Dir.File("de_DE.ISO-8859-1") + "' >/dev/null 2>&1";
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
