#include "runtime/FileLayer.h"
