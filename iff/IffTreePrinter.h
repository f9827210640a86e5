#pragma once
// Prints the index of an IFF file as text, one line per node in file order
// (a form's chunks and sub-forms interleaved by offset), the root first:
//   two spaces per depth, "FORM" or "CHUNK", the tag, the offset, the size.
// Tag bytes outside printable ASCII show as \xHH. Walks the tree without
// recursion, so any nesting depth prints.
#include <ostream>
#include <string>

#include "iff/IffTypes.h"

class TIffReader;

// The tag's four bytes, printable ASCII (0x20 to 0x7E) as itself, any other
// byte as \x and two upper-case hexadecimal digits.
std::string EscapedTag(const TIffTag& Tag);

void PrintIffTree(const TIffReader& Reader, std::ostream& Out);
