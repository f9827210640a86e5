#pragma once
#include "model/EditorModel.h"  // the model as the editor loads it lives with the model
