#include "runtime/FloatErrors.h"

#include <cmath>
#include <limits>

void RaiseInvalidOp() { throw EInvalidOp("Invalid floating point operation"); }
void RaiseZeroDivide() { throw EZeroDivide("Floating point division by zero"); }
void RaiseOverflow() { throw EOverflow("Floating point overflow"); }

double FloatDivide(double A, double B) {
  if (std::isnan(A) || std::isnan(B)) RaiseInvalidOp();
  if (B == 0) {
    if (A == 0) RaiseInvalidOp();
    RaiseZeroDivide();
  }
  // Infinity over infinity has no value; a finite quotient too large for a
  // double, or an infinite dividend, is an overflow.
  if (std::isinf(A) && std::isinf(B)) RaiseInvalidOp();
  const double Quotient = A / B;
  if (std::isinf(Quotient)) RaiseOverflow();
  return Quotient;
}

double FloatSqrt(double X) {
  if (std::isnan(X) || X < 0) RaiseInvalidOp();
  return std::sqrt(X);
}

float ToSingle(double X) {
  if (std::isnan(X)) RaiseInvalidOp();
  const float Narrowed = static_cast<float>(X);
  // Only a finite value can leave the float range; an infinity stays what it
  // is (the narrowing itself did not overflow).
  if (std::isinf(Narrowed) && !std::isinf(X)) RaiseOverflow();
  return Narrowed;
}

double CheckFinite(double X) {
  if (std::isnan(X)) RaiseInvalidOp();
  if (std::isinf(X)) RaiseOverflow();
  return X;
}
