#pragma once
// What a hardpoint's name may be, and the names the editor makes for new
// ones. A name goes into the model file as 8-bit text ended by a zero byte
// and into the hardpoint script between double quotation marks on one line,
// a script that has no escapes and that other tools compile: so a name is
// not empty and holds no zero byte, no line break, no other control byte
// (below 0x20, and 0x7F), no double quotation mark and no backslash. Names
// a model file already holds are kept as they are; the rule holds for every
// name that enters (typed, read from a script or from a glTF file).
#include <string>
#include <unordered_set>
#include <vector>

#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EHardpointName);

// Why Name (8-bit text, as the model holds it) cannot be a hardpoint's name,
// as a sentence ("A hardpoint's name cannot be empty"); empty when it can.
std::string HardpointNameProblem(const std::string& Name);

// Raises EHardpointName with HardpointNameProblem's sentence.
void CheckHardpointName(const std::string& Name);

// A name typed as UTF-8 text (the window's edit box), as the model holds it:
// its characters as 8-bit bytes. Raises EHardpointName for a character
// outside Latin-1 (U+0100 and above, or text that is not UTF-8) and for
// what HardpointNameProblem refuses.
std::string HardpointNameFromText(const std::string& Utf8);

// Fresh names one after another: "Hardpoint1", "Hardpoint2", ..., each
// unused by the names given and by the ones made before, in time linear in
// the names given and made.
class TFreshHardpointNames {
public:
  explicit TFreshHardpointNames(const std::vector<std::string>& Used);
  std::string Next();

private:
  std::unordered_set<std::string> FTaken;
  unsigned long long FNumber = 1;
};

// The name Add Hardpoint gives: "Hardpoint1", "Hardpoint2", ..., the first
// that no name in Used is.
std::string FreshHardpointName(const std::vector<std::string>& Used);

// The name Duplicate Hardpoint gives a copy of Original: Original with its
// trailing number counted on ("Gun1" -> "Gun2", "Gun007" -> "Gun008"), or
// with 2, 3, ... appended when it ends in none ("GunLeft" -> "GunLeft2"),
// the first that no name in
// Used is. An Original the rule refuses gives FreshHardpointName's.
std::string DuplicateHardpointName(const std::string& Original, const std::vector<std::string>& Used);
