#pragma once
// Floating-point faults are errors, not silent special values: an invalid
// operation, a division by zero and an overflow raise the standard errors.
// Underflow and loss of precision are not reported.
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EInvalidOp);   // "Invalid floating point operation"
QUELBIR_EXCEPTION(EZeroDivide);  // "Floating point division by zero"
QUELBIR_EXCEPTION(EOverflow);    // "Floating point overflow"

[[noreturn]] void RaiseInvalidOp();
[[noreturn]] void RaiseZeroDivide();
[[noreturn]] void RaiseOverflow();

// A / B in extended precision. B == 0 raises EZeroDivide when A != 0 and
// EInvalidOp when A == 0 (0/0); a NaN operand raises EInvalidOp; an infinite
// result raises EOverflow.
double FloatDivide(double A, double B);
// Square root; a negative or NaN argument raises EInvalidOp.
double FloatSqrt(double X);
// Narrowing to a 32-bit float: a finite value beyond the float range raises
// EOverflow, a NaN raises EInvalidOp.
float ToSingle(double X);
// Raises EInvalidOp for a NaN and EOverflow for an infinity; returns X otherwise.
double CheckFinite(double X);
