#include "runtime/NumberFormat.h"
