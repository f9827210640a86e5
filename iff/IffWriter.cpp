#include "iff/IffWriter.h"
