#include "iff/crc32.h"
