#include "runtime/FloatErrors.h"
