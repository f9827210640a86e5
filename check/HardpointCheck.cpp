#include "check/HardpointCheck.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "iff/IffReader.h"
#include "model/ModelLayout.h"
#include "model/THardpoint.h"
#include "model/TZorvObject.h"

namespace {

void CheckHardpoint(const THardpoint& H, int32_t Index, int32_t Offset, std::map<std::string, int32_t>& Names,
                    TFindings& Findings) {
  const std::string Name = "hardpoint \"" + H.Name + "\"";
  auto [Earlier, Inserted] = Names.emplace(H.Name, Index);
  if (!Inserted)
    Findings.Add(TCheckCodeId::HardpointDuplicateName,
                 Name + " has the name of hardpoint " + std::to_string(Earlier->second), std::nullopt, Index, Offset);
  if (!std::all_of(H.Matrix.begin(), H.Matrix.end(), [](float V) { return std::isfinite(V); })) {
    Findings.Add(TCheckCodeId::NonfiniteValue, Name + " has a matrix element that is not a finite number", std::nullopt,
                 Index, Offset);
    return;
  }
  const char* AxisNames[3] = {"X", "Y", "Z"};
  double Axes[3][3];
  for (int A = 0; A < 3; ++A)
    for (int C = 0; C < 3; ++C) Axes[A][C] = H.Matrix[size_t(4 * A + C)];
  std::string Fault;
  for (int A = 0; A < 3 && Fault.empty(); ++A) {
    const double Length = std::sqrt(Axes[A][0] * Axes[A][0] + Axes[A][1] * Axes[A][1] + Axes[A][2] * Axes[A][2]);
    if (std::fabs(Length - 1) > UnitTolerance)
      Fault = std::string("its ") + AxisNames[A] + " axis has length " + Number(Length);
  }
  for (int A = 0; A < 3 && Fault.empty(); ++A) {
    const int B = (A + 1) % 3;
    const double Dot = Axes[A][0] * Axes[B][0] + Axes[A][1] * Axes[B][1] + Axes[A][2] * Axes[B][2];
    if (std::fabs(Dot) > UnitTolerance)
      Fault = std::string("its ") + AxisNames[std::min(A, B)] + " and " + AxisNames[std::max(A, B)] +
              " axes are not perpendicular (dot product " + Number(Dot) + ")";
  }
  if (!Fault.empty())
    Findings.Add(TCheckCodeId::HardpointNotRigid, Name + " is not rigid: " + Fault, std::nullopt, Index, Offset);
}

}  // namespace

void CheckHardpoints(TIffReader& Reader, const TLoad& First, TFindings& Findings) {
  const TForm* Hard = Reader.RootIsChunk() ? nullptr : HardpointForm(*Reader.Root());
  if (!Hard) return;
  std::map<std::string, int32_t> Names;
  // A load that succeeded has read every hardpoint, one per chunk of the
  // same form.
  if (!First.Failed && size_t(First.Model->HardpointCount()) == Hard->Chunks.size()) {
    for (int32_t I = 0; I < First.Model->HardpointCount(); ++I)
      if (const THardpoint* H = First.Model->GetHardpoint(I))
        CheckHardpoint(*H, I, Hard->Chunks[size_t(I)].Offset, Names, Findings);
    return;
  }
  Reader.OpenForm(TIffTag("HARD"));
  const int32_t Count = Reader.ChunkCount();
  for (int32_t I = 0; I < Count; ++I) {
    Reader.OpenChunkByIndex(I);
    const int32_t Offset = Reader.OpenChunkItem()->Offset;
    std::optional<THardpoint> Hardpoint;
    try {
      Hardpoint = ReadHardpoint(Reader);
    } catch (const Exception& E) {
      Findings.Add(TCheckCodeId::HardpointUnreadable, E.Message(), std::nullopt, I, Offset);
    }
    Reader.CloseChunk();
    if (Hardpoint) CheckHardpoint(*Hardpoint, I, Offset, Names, Findings);
  }
  Reader.CloseForm();
}
