#pragma once
// The hardpoint script: all hardpoints of a model as the text of a
// FORM "HARD" with one CHUNK "HARD" each, values "0.000", every line ended by
// CR LF. It is what "Copy Script to Clipboard" puts on the clipboard and what
// `quelbir-cli script` prints; read back, it gives a model file its
// hardpoints (`quelbir-cli apply --script`).
#include <string>
#include <vector>

#include "model/ModelWriter.h"
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EHardpointScript);

class THardpoint;
class TZorvObject;

// The script for the hardpoints in list order, taken from their stored
// matrices. An empty entry (nullptr: a load that stopped part-way left it)
// is left out, as the model's drawing leaves it out; the text stays well
// formed. An empty list gives the four framing lines only. A name the name
// rule refuses (model/HardpointName.h), which a model file may hold, raises
// EHardpointScript naming that hardpoint: the script has no escapes.
std::string HardpointScriptText(const std::vector<const THardpoint*>& Hardpoints);

// The same for every entry of the model's hardpoint list, index 0 to
// HardpointCount - 1.
std::string HardpointScriptText(const TZorvObject& Model);

// The hardpoints of a script as HardpointScriptText writes it, in its
// order: lines ended by CR LF or LF, each line's words as written with any
// blanks or tabs around them, a name as the script carries it (between the
// first and the last double quotation mark of its line) and obeying the
// name rule (model/HardpointName.h), blank lines after the last brace only.
// Anything else raises EHardpointScript naming Source, the line and what was
// expected there ("s.txt, line 7: expected \"float\" and a number, found
// \"flaot 1.000\""). The values are the numbers as written, to the nearest
// float; elements 3, 7 and 11 are 0 and 15 is 1. Time and memory grow with
// the text's length alone.
std::vector<TModelHardpoint> ReadHardpointScript(const std::string& Text, const std::string& Source);
