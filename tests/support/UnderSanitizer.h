// QUELBIR_UNDER_ASAN is defined when the tests are built with
// AddressSanitizer (GCC or clang). Its runtime reserves terabytes of address
// space at start, so a test that runs a program under `ulimit -v` cannot run
// there, nor can one that measures the memory a process may still take.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define QUELBIR_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUELBIR_UNDER_ASAN 1
#endif
#endif
