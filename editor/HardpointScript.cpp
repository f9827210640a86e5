#include "editor/HardpointScript.h"

#include "model/THardpoint.h"
#include "model/TZorvObject.h"
#include "runtime/NumberFormat.h"

namespace {

// The twelve values of a hardpoint in the order of its file chunk: the
// three rows of the 3x4 transform, each an axis and a position coordinate.
constexpr int ScriptOrder[12] = {0, 1, 2, 12, 4, 5, 6, 13, 8, 9, 10, 14};

void AddLine(std::string& Text, int Blanks, const std::string& Line) {
  Text.append(size_t(Blanks), ' ');
  Text += Line;
  Text += "\r\n";
}

}  // namespace

std::string HardpointScriptText(const std::vector<const THardpoint*>& Hardpoints) {
  std::string Text;
  AddLine(Text, 4, "FORM \"HARD\"");
  AddLine(Text, 4, "{");
  for (const THardpoint* Hardpoint : Hardpoints) {
    if (Hardpoint == nullptr) continue;
    AddLine(Text, 6, "CHUNK \"HARD\"");
    AddLine(Text, 6, "{");
    for (int Element : ScriptOrder) AddLine(Text, 8, "float " + FormatFixed3(Hardpoint->Matrix[size_t(Element)]));
    AddLine(Text, 8, "cstring \"" + Hardpoint->Name + "\"");
    AddLine(Text, 6, "}");
  }
  AddLine(Text, 4, "}");
  AddLine(Text, 2, "}");
  return Text;
}

std::string HardpointScriptText(const TZorvObject& Model) {
  std::vector<const THardpoint*> Hardpoints;
  Hardpoints.reserve(size_t(Model.HardpointCount()));
  for (int32_t I = 0; I < Model.HardpointCount(); ++I) Hardpoints.push_back(Model.GetHardpoint(I));
  return HardpointScriptText(Hardpoints);
}
