#include "runtime/FloatErrors.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <type_traits>

#include "tests/support/ErrorMessage.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();

TEST(FloatErrors, EachErrorIsItsOwnClassWithTheStandardText) {
  static_assert(std::is_base_of_v<Exception, EInvalidOp> && std::is_base_of_v<Exception, EZeroDivide> &&
                std::is_base_of_v<Exception, EOverflow>);
  EXPECT_EQ(MessageOf<EInvalidOp>([] { RaiseInvalidOp(); }), "Invalid floating point operation");
  EXPECT_EQ(MessageOf<EZeroDivide>([] { RaiseZeroDivide(); }), "Floating point division by zero");
  EXPECT_EQ(MessageOf<EOverflow>([] { RaiseOverflow(); }), "Floating point overflow");
}

TEST(FloatErrors, DivisionByZeroDependsOnTheDividend) {
  EXPECT_THROW(FloatDivide(1, 0), EZeroDivide);
  EXPECT_THROW(FloatDivide(-1, -0.0), EZeroDivide);
  EXPECT_THROW(FloatDivide(0, 0), EInvalidOp);  // 0/0 has no value at all
}

TEST(FloatErrors, DivisionWithoutAValueOrBeyondTheRangeRaises) {
  EXPECT_THROW(FloatDivide(NaN, 1), EInvalidOp);
  EXPECT_THROW(FloatDivide(1, NaN), EInvalidOp);
  EXPECT_THROW(FloatDivide(Infinity, Infinity), EInvalidOp);
  EXPECT_THROW(FloatDivide(1e300, 1e-300), EOverflow);
}

TEST(FloatErrors, OrdinaryDivisionAndUnderflowGiveTheQuotient) {
  EXPECT_EQ(FloatDivide(1, 4), 0.25);
  EXPECT_EQ(FloatDivide(-3, 2), -1.5);
  EXPECT_EQ(FloatDivide(1e-300, 1e300), 0.0);  // underflow is not reported
}

TEST(FloatErrors, SquareRootOfANegativeOrNaNIsInvalid) {
  EXPECT_EQ(FloatSqrt(6.25), 2.5);
  EXPECT_EQ(FloatSqrt(0), 0);
  EXPECT_THROW(FloatSqrt(-1e-30), EInvalidOp);
  EXPECT_THROW(FloatSqrt(NaN), EInvalidOp);
}

TEST(FloatErrors, NarrowingToSingleKeepsTheFloatRange) {
  EXPECT_EQ(ToSingle(0.1), 0.1f);
  EXPECT_EQ(ToSingle(double(FLT_MAX)), FLT_MAX);
  EXPECT_EQ(ToSingle(1e-60), 0.0f);  // underflow is not reported
  EXPECT_THROW(ToSingle(1e39), EOverflow);
  EXPECT_THROW(ToSingle(-1e39), EOverflow);
  EXPECT_THROW(ToSingle(NaN), EInvalidOp);
}

TEST(FloatErrors, CheckFiniteRaisesForNaNAndInfinity) {
  EXPECT_EQ(CheckFinite(-2.5), -2.5);
  EXPECT_THROW(CheckFinite(NaN), EInvalidOp);
  EXPECT_THROW(CheckFinite(-Infinity), EOverflow);
}

}  // namespace
