// Compiled only by the floors' tests, which expect the include to fail.
#include UPWARD_HEADER
