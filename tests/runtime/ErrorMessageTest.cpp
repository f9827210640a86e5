// What the user reads of an error at the top of a command or the window.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "runtime/ErrorMessage.h"
#include "runtime/Exception.h"

namespace {

TEST(ErrorMessage, SaysWhatRanOutInsteadOfTheLibrarysWords) {
  EXPECT_EQ(ErrorMessage(std::bad_alloc()), "Out of memory: the system would give no more for this work");
  EXPECT_EQ(ErrorMessage(std::bad_array_new_length()), "Out of memory: the system would give no more for this work");
  EXPECT_EQ(ErrorMessage(Exception("m.iff: Floating point overflow")), "m.iff: Floating point overflow");
  EXPECT_EQ(ErrorMessage(std::runtime_error("as raised")), "as raised");
}

}  // namespace
