#include "iff/IffReader.h"
