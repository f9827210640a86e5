#pragma once
// The hardpoint script: all hardpoints of a model as the text of a
// FORM "HARD" with one CHUNK "HARD" each, values "0.000", every line ended by
// CR LF. It is what "Copy Script to Clipboard" puts on the clipboard and what
// `quelbir-cli script` prints.
#include <string>
#include <vector>

class THardpoint;
class TZorvObject;

// The script for the hardpoints in list order, taken from their stored
// matrices. An empty entry (nullptr: a load that stopped part-way left it)
// is left out, as the model's drawing leaves it out; the text stays well
// formed. An empty list gives the four framing lines only.
std::string HardpointScriptText(const std::vector<const THardpoint*>& Hardpoints);

// The same for every entry of the model's hardpoint list, index 0 to
// HardpointCount - 1.
std::string HardpointScriptText(const TZorvObject& Model);
