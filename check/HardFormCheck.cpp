#include "check/HardFormCheck.h"

#include "iff/IffReader.h"
#include "model/ModelLayout.h"

void CheckHardForms(const TIffReader& Reader, TFindings& Findings) {
  const TForm* Root = Reader.Root();
  const TForm* Read = Reader.RootIsChunk() ? nullptr : HardpointForm(*Root);
  // Every form below the top one, without recursion: files nest deeply.
  std::vector<const TForm*> Pending;
  for (auto It = Root->Forms.rbegin(); It != Root->Forms.rend(); ++It) Pending.push_back(It->get());
  while (!Pending.empty()) {
    const TForm* Form = Pending.back();
    Pending.pop_back();
    if (Form->Tag == TIffTag("HARD") && Form != Read)
      Findings.Add(TCheckCodeId::HardFormIgnored,
                   Form->Parent == Root
                       ? "FORM \"HARD\" is not the top form's second sub-form; the loader ignores its hardpoints"
                       : "FORM \"HARD\" inside FORM " + Quoted(Form->Parent->Tag) +
                             " is not the top form's second sub-form; the loader ignores its hardpoints",
                   std::nullopt, std::nullopt, Form->Offset);
    for (auto It = Form->Forms.rbegin(); It != Form->Forms.rend(); ++It) Pending.push_back(It->get());
  }
}
