#pragma once
// The levels of detail of a model file as its loader names them: every level
// tag of the container, in file order, and the one a load chose. Recorded
// from the loader's own progress messages, so the names are exactly the
// loader's and no second reader is needed.
#include <string>
#include <vector>

#include "model/ModelLayout.h"
#include "model/T3DObject.h"


// A log handler that fills Levels afresh at every load of the model it is
// attached to (T3DObject::OnLog). Levels must outlive the model's loads.
T3DObject::TLogEvent RecordModelLevels(TModelLevels& Levels);

// Whether two names of model files name the same file on disk, however they
// are spelled (relative or absolute, through links); names that cannot be
// looked up are compared as they are written.
bool SameModelFile(const std::string& A, const std::string& B);
