#include "model/ModelLayout.h"

#include <algorithm>
#include <cstdio>

#include "iff/IffReader.h"
#include "model/MeshData.h"

int TModelLevels::LoadedIndex() const {
  for (size_t I = 0; I < Tags.size(); ++I)
    if (Tags[I] == Loaded) return int(I);
  return -1;
}

std::string LevelTag(int32_t Lod, int32_t Levels) {
  int32_t Index = Lod;
  if (Lod > Levels - 1) Index = Levels - 1;
  if (Lod < 0) Index = 0;
  // At least four digits, the sign in front of them: an empty container
  // gives -1, written "-0001", whose first four characters name no level.
  char Text[16];
  std::snprintf(Text, sizeof Text, Index < 0 ? "-%04d" : "%04d", Index < 0 ? -Index : Index);
  return std::string(Text, 4);
}

int32_t DistinctLevelCount(int32_t Count) { return std::min(Count, 10000); }

const TForm* HardpointForm(const TForm& Top) {
  const TIffTag Hard("HARD");
  if (Top.Forms.size() < 2 || !(Top.Forms[1]->Tag == Hard)) return nullptr;
  for (const auto& Form : Top.Forms)
    if (Form->Tag == Hard) return Form.get();
  return nullptr;
}

const std::array<TMeshChunkKind, 4>& MeshChunkKinds() {
  static const std::array<TMeshChunkKind, 4> Kinds = {{
      {"VERT", int32_t(sizeof(TVector))},
      {"VTNM", int32_t(sizeof(TVector))},
      {"FVRT", int32_t(sizeof(TFaceVertex))},
      {"FACE", int32_t(sizeof(TFace))},
  }};
  return Kinds;
}
