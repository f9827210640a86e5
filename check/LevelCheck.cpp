#include "check/LevelCheck.h"

#include <algorithm>

#include "iff/IffReader.h"
#include "model/ModelLayout.h"

std::vector<TPlannedLevel> PlanLevels(const TIffReader& Reader, const TCheckOptions& Options, TFindings& Findings) {
  if (Reader.CurrentTag() == TIffTag("MESH")) return {{0, std::nullopt}};
  const TForm* Container = nullptr;
  if (!Reader.RootIsChunk())
    for (const auto& Form : Reader.Root()->Forms)
      if (Form->Tag == TIffTag("MESH")) {
        Container = Form.get();
        break;
      }
  if (!Container) return {{Options.Lod.value_or(0), std::nullopt}};
  const int32_t Levels = int32_t(Container->Forms.size());
  // Levels are found by name: "0000" up to the count less one, each the
  // first form of its name.
  std::vector<bool> Named(size_t(Levels), false);
  for (const auto& Form : Container->Forms) {
    const std::string Tag = Form->Tag.ToRaw();
    int32_t Index = -1;
    if (std::all_of(Tag.begin(), Tag.end(), [](char C) { return C >= '0' && C <= '9'; })) Index = std::stoi(Tag);
    if (Index >= 0 && Index < Levels && !Named[size_t(Index)]) {
      Named[size_t(Index)] = true;
      continue;
    }
    Findings.Add(TCheckCodeId::LodUnreachable,
                 "level form " + Quoted(Form->Tag) + " is never loaded: the loader finds the levels by the names " +
                     LevelTag(0, Levels) + " to " + LevelTag(Levels - 1, Levels),
                 Form->Tag.ToText(), std::nullopt, Form->Offset);
  }
  if (Options.Lod) return {{*Options.Lod, LevelTag(*Options.Lod, Levels)}};
  // Each level is examined once, however many forms hold no level.
  std::vector<TPlannedLevel> Plan;
  for (int32_t Lod = 0; Lod < DistinctLevelCount(std::max(Levels, 1)); ++Lod)
    Plan.push_back({Lod, LevelTag(Lod, Levels)});
  return Plan;
}

TLoad LoadPlannedLevel(TIffReader& Reader, const TPlannedLevel& Planned, bool Whole) {
  TLoad Result;
  Result.Model = std::make_unique<TZorvObject>(TDisplayListPolicy::None);
  TZorvObject& Model = *Result.Model;
  Model.OpenReadOnly = true;
  Model.SetKeepData(true);
  Model.SetLOD(Planned.Lod);  // no file yet: only stored
  try {
    if (Whole)
      Model.LoadFromFile(Reader.FileName());
    else
      Model.LoadLevel(Reader);
  } catch (const Exception& E) {
    Result.Failure = E.Message();
    Result.Failed = true;
  }
  const std::string& Loaded = Model.Levels().Loaded;
  Result.Level = Loaded.empty() ? Planned.Level : std::optional<std::string>(Loaded);
  return Result;
}
