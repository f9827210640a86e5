#pragma once
#include "model/SphereFile.h"  // the sphere's file operations live with the model
