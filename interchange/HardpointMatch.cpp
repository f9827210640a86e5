#include "interchange/HardpointMatch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#include "interchange/RigidTransform.h"
#include "runtime/Latin1Text.h"

namespace {

std::string Fixed(double Value) {
  char Text[64];
  std::snprintf(Text, sizeof Text, "%.3f", Value);
  return Text;
}

// How far the glTF's transform lies from the model's as the export wrote
// it: the distance between the positions and the angle between the axes.
struct TDifference {
  double Distance = 0, Degrees = 0;
};

TDifference Difference(const std::array<float, 16>& Model, const std::array<float, 16>& Gltf) {
  const TRigidTransform A = NearestRigid(Model), B = NearestRigid(Gltf);
  TDifference D;
  for (size_t I = 0; I < 3; ++I)
    D.Distance += (A.Translation[I] - B.Translation[I]) * (A.Translation[I] - B.Translation[I]);
  D.Distance = std::sqrt(D.Distance);
  double Dot = 0;
  for (size_t I = 0; I < 4; ++I) Dot += A.Rotation[I] * B.Rotation[I];
  D.Degrees = 2 * std::acos(std::min(1.0, std::fabs(Dot))) * 180 / M_PI;
  return D;
}

bool Unmoved(const TDifference& D, const std::array<float, 16>& Model) {
  const double Reach =
      std::max({1.0, std::fabs(double(Model[12])), std::fabs(double(Model[13])), std::fabs(double(Model[14]))});
  // What another tool's float arithmetic and axis turns leave behind.
  return D.Distance <= 1e-4 * Reach && D.Degrees <= 0.01;
}

}  // namespace

std::vector<THardpoint> MatchGltfHardpoints(const std::vector<const THardpoint*>& Model,
                                            const std::vector<TGltfHardpoint>& Gltf, const std::string& GltfFile,
                                            std::ostream& Changes, bool DropMissing) {
  std::vector<const THardpoint*> Listed;
  for (const THardpoint* H : Model)
    if (H) Listed.push_back(H);
  std::vector<std::optional<size_t>> MatchOf(Listed.size());  // model entry -> glTF entry
  std::vector<bool> Used(Gltf.size(), false);
  auto Pair = [&](size_t M, size_t G) {
    MatchOf[M] = G;
    Used[G] = true;
  };
  auto NameFits = [&](size_t M, const TGltfHardpoint& G, bool Loosely) {
    if (G.Hardpoint.Name == Listed[M]->Name) return true;
    return Loosely && IsBlenderName(G.NodeName, Latin1ToUtf8(Listed[M]->Name));
  };
  // By mark: the node whose name still fits first, then any other.
  for (bool Loosely : {false, true})
    for (size_t G = 0; G < Gltf.size(); ++G) {
      if (Used[G] || !Gltf[G].Mark || *Gltf[G].Mark < 0 || size_t(*Gltf[G].Mark) >= Listed.size()) continue;
      const size_t M = size_t(*Gltf[G].Mark);
      if (!MatchOf[M] && (Loosely || NameFits(M, Gltf[G], true))) Pair(M, G);
    }
  // By name, the exact ones before the ones Blender made.
  for (bool Loosely : {false, true})
    for (size_t M = 0; M < Listed.size(); ++M)
      for (size_t G = 0; G < Gltf.size() && !MatchOf[M]; ++G)
        if (!Used[G] && NameFits(M, Gltf[G], Loosely)) Pair(M, G);

  bool AnyMatched = false;
  for (const auto& Match : MatchOf) AnyMatched = AnyMatched || Match.has_value();
  if (!Listed.empty() && !AnyMatched)
    throw EGltfHardpoints("GltfHardpoints: none of the model's hardpoints is found in " + GltfFile);

  std::vector<THardpoint> Result;
  for (size_t M = 0; M < Listed.size(); ++M) {
    THardpoint Hardpoint = *Listed[M];
    const std::string Name = EscapeControlBytes(Listed[M]->Name);
    if (!MatchOf[M]) {
      Changes << Name << ": missing from " << GltfFile
              << (DropMissing ? "; left out\n" : "; kept as the model has it\n");
      if (!DropMissing) Result.push_back(std::move(Hardpoint));
      continue;
    }
    const TGltfHardpoint& G = Gltf[*MatchOf[M]];
    if (G.Hardpoint.Name != Listed[M]->Name && !IsBlenderName(G.NodeName, Latin1ToUtf8(Listed[M]->Name))) {
      Changes << Name << ": renamed " << EscapeControlBytes(G.Hardpoint.Name) << "\n";
      Hardpoint.Name = G.Hardpoint.Name;
    }
    if (!G.Finite) {
      Changes << Name << ": its transform holds a number that is not finite; kept as the model has it\n";
    } else {
      if (G.Scaled)
        Changes << Name << ": its transform carried a scale or shear; the hardpoint keeps unit, perpendicular axes\n";
      const bool Same = std::memcmp(G.Hardpoint.Matrix.data(), Hardpoint.Matrix.data(), sizeof Hardpoint.Matrix) == 0;
      const TDifference D = Difference(Hardpoint.Matrix, G.Hardpoint.Matrix);
      if (!Same && (G.Kept || !Unmoved(D, Hardpoint.Matrix))) {
        std::string Line;
        if (D.Distance >= 0.0005) Line = "moved by " + Fixed(D.Distance);
        if (D.Degrees >= 0.0005)
          Line += (Line.empty() ? "" : ", ") + std::string("turned by ") + Fixed(D.Degrees) + " degrees";
        Changes << Name << ": " << (Line.empty() ? std::string("changed") : Line) << "\n";
        Hardpoint.Matrix = G.Hardpoint.Matrix;
      }
    }
    Result.push_back(std::move(Hardpoint));
  }
  for (size_t G = 0; G < Gltf.size(); ++G) {
    if (Used[G]) continue;
    if (!Gltf[G].Finite) {
      Changes << EscapeControlBytes(Gltf[G].Hardpoint.Name)
              << ": its transform holds a number that is not finite; left out\n";
      continue;
    }
    THardpoint Added = Gltf[G].Hardpoint;
    // A copy of one of the model's hardpoints takes its name back, as it
    // does when Blender kept the name in the extras.
    for (const THardpoint* M : Listed)
      if (IsBlenderName(Gltf[G].NodeName, Latin1ToUtf8(M->Name))) {
        Added.Name = M->Name;
        break;
      }
    const std::string Shown = EscapeControlBytes(Added.Name);
    Changes << Shown << ": added\n";
    if (Gltf[G].Scaled)
      Changes << Shown << ": its transform carried a scale or shear; the hardpoint keeps unit, perpendicular axes\n";
    Result.push_back(std::move(Added));
  }
  return Result;
}
