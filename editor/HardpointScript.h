#pragma once
// The hardpoint script: all hardpoints of a model as the text of a
// FORM "HARD" with one CHUNK "HARD" each, values "0.000", every line ended by
// CR LF. It is what "Copy Script to Clipboard" puts on the clipboard and what
// `quelbir-cli script` prints; read back, it gives a model file its
// hardpoints (`quelbir-cli apply --script`).
#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "model/ModelWriter.h"
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EHardpointScript);

class TZorvObject;

// The script for the hardpoints in list order, taken from their stored
// matrices. An empty entry (nullptr: a load that stopped part-way left it)
// is left out, as the model's drawing leaves it out; the text stays well
// formed. An empty list gives the four framing lines only. A name the name
// rule refuses (model/HardpointName.h), which a model file may hold, raises
// EHardpointScript naming that hardpoint: the script has no escapes.
std::string HardpointScriptText(const std::vector<const THardpoint*>& Hardpoints);

// The same for every hardpoint of a list (the document's), and for those the
// model read.
std::string HardpointScriptText(THardpointsView Hardpoints);
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
std::vector<THardpoint> ReadHardpointScript(const std::string& Text, const std::string& Source);

// The most bytes a script may be here: a quarter of the memory the program
// may use (the machine's memory, or the process's address-space or data
// limit when lower), so that its text, its hardpoints and the model file
// made of them all fit.
size_t HardpointScriptLimit();

// The text of the script named Name, "-" meaning Input (standard input), of
// at most Limit bytes: a longer one is refused, a file by its size before
// any byte is read, a stream once Limit + 1 bytes have come, with
// EHardpointScript (Name, or "standard input", + " is longer than a
// hardpoint script may be here: at most N bytes, a quarter of the memory
// this program may use"). The file layer's errors pass as they are.
std::string ReadHardpointScriptInput(const std::string& Name, std::istream& Input, size_t Limit);
