#pragma once
// Byte builders for hostile files: every header, size and record is placed
// by the test, so a file can say whatever a damaged or forged file says.
#include <string>

#include "tests/support/IffBytes.h"

namespace hostile {

using ::BigEndian;
using ::Chunk;
using ::Floats;
using ::Form;
using ::FormHeader;
using ::Header;
using ::Ints;
using ::Le;
using ::TBytes;
using ::operator+;

inline TBytes Raw(const std::string& S) { return Text(S); }

}  // namespace hostile
