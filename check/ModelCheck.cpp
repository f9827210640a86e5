#include "check/ModelCheck.h"

#include <memory>

#include "check/ExtentCheck.h"
#include "check/FaceCheck.h"
#include "check/FileFindings.h"
#include "check/HardFormCheck.h"
#include "check/HardpointCheck.h"
#include "check/LevelCheck.h"
#include "check/MeshCheck.h"
#include "check/SphereCheck.h"
#include "iff/IffReader.h"

namespace {

void CheckLevel(TIffReader& Reader, int64_t FileSize, const TLoad& Loaded, const std::optional<TDrawnSphere>& Sphere,
                TFindings& Findings) {
  if (const std::optional<TMeshPlaces> Places = CheckLevelMesh(Reader, FileSize, Loaded, Findings))
    CheckFaces(Loaded.Model->Mesh(), Loaded.Level, *Places, Sphere, Findings);
}

}  // namespace

std::vector<TFinding> CheckModelFile(const std::string& FileName, const TCheckOptions& Options) {
  TFindings Findings;
  // The file layer refuses a pipe, a device or a folder before opening it,
  // and the reader a name that does not exist, each in its own words.
  std::unique_ptr<TIffReader> Reader;
  try {
    Reader = std::make_unique<TIffReader>(FileName, /*ReadOnly=*/true);
  } catch (const Exception& E) {
    Findings.Add(TCheckCodeId::IffUnreadable, E.Message());
    return Findings.Take();
  }
  const int64_t FileSize = CheckExtent(FileName, *Reader, Findings);
  CheckHardForms(*Reader, Findings);
  const std::optional<TDrawnSphere> Sphere = CheckSphere(FileName, *Reader, Findings);
  // The first level's load also reads the hardpoints, which the check then
  // takes from it rather than reading them again.
  const std::vector<TPlannedLevel> Plan = PlanLevels(*Reader, Options, Findings);
  {
    const TLoad First = LoadPlannedLevel(*Reader, Plan[0], /*Whole=*/true);
    CheckHardpoints(*Reader, First, Findings);
    CheckLevel(*Reader, FileSize, First, Sphere, Findings);
  }
  for (size_t I = 1; I < Plan.size(); ++I)
    CheckLevel(*Reader, FileSize, LoadPlannedLevel(*Reader, Plan[I], /*Whole=*/false), Sphere, Findings);
  return Findings.Take();
}
