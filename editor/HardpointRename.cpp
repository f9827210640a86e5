#include "editor/HardpointRename.h"

#include "model/HardpointName.h"

namespace {

// Whether a hardpoint other than Id has Name.
bool NameUsedByAnother(const TModelDocument& Document, THardpointId Id, const std::string& Name) {
  for (const TDocumentHardpoint& Hardpoint : Document.Hardpoints())
    if (Hardpoint.Id != Id && Hardpoint.Name == Name) return true;
  return false;
}

}  // namespace

std::string HardpointNameAsText(const std::string& Name) {
  std::string Text;
  for (const char C : Name) {
    const auto Byte = static_cast<unsigned char>(C);
    if (Byte == 0) break;  // the name ends at its zero byte, as the model reads it
    if (Byte < 0x80) {
      Text += C;
    } else {
      Text += char(0xC0 | (Byte >> 6));
      Text += char(0x80 | (Byte & 0x3F));
    }
  }
  return Text;
}

void RenameCurrentHardpoint(TModelDocument& Document, const TUserQuestions& User) {
  Document.CancelGesture();
  const TDocumentHardpoint* Selected = Document.SelectedHardpoint();
  if (Selected == nullptr) return;
  const THardpointId Id = Selected->Id;
  const std::string Shown = HardpointNameAsText(Selected->Name);
  const std::string Typed = User.InputBox("Rename Hardpoint", "Name:", Shown);
  if (Typed == Shown) return;  // cancelled, or left as it was
  const std::string Name = HardpointNameFromText(Typed);
  if (NameUsedByAnother(Document, Id, Name) &&
      User.Ask("Rename Hardpoint",
               "Another hardpoint is already named \"" + Typed +
                   "\". The file can hold both, but a tool that finds a hardpoint by its name finds only one "
                   "of them. Use the name all the same?",
               {"Rename", "Cancel"}) != 0)
    return;
  Document.RenameHardpoint(Id, Name, "Rename Hardpoint");
}
