#include "interchange/HardpointMatch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "interchange/RigidTransform.h"
#include "model/HardpointName.h"
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

// Entries listed under one key, in ascending order, read from the front:
// an entry taken (Used) is passed over once and for all, so all the reads
// of a list together cost its length.
struct TQueue {
  std::vector<size_t> Entries;
  size_t Next = 0;
  std::optional<size_t> Front(const std::vector<bool>& Used) {
    while (Next < Entries.size() && Used[Entries[Next]]) ++Next;
    if (Next == Entries.size()) return std::nullopt;
    return Entries[Next];
  }
};

using TQueues = std::unordered_map<std::string_view, TQueue>;

std::optional<size_t> FrontOf(TQueues& Queues, std::string_view Key, const std::vector<bool>& Used) {
  auto It = Queues.find(Key);
  return It == Queues.end() ? std::nullopt : It->second.Front(Used);
}

void Earliest(std::optional<size_t>& Best, std::optional<size_t> Candidate) {
  if (Candidate && (!Best || *Candidate < *Best)) Best = Candidate;
}

}  // namespace

std::vector<THardpoint> MatchGltfHardpoints(const std::vector<const THardpoint*>& Model,
                                            const std::vector<TGltfHardpoint>& Gltf, const std::string& GltfFile,
                                            std::ostream& Changes, bool DropMissing) {
  std::vector<const THardpoint*> Listed;
  for (const THardpoint* H : Model)
    if (H) Listed.push_back(H);
  // Every name is converted once, and names are found through tables: the
  // cost grows with the hardpoints, not with their pairs.
  std::vector<std::string> Utf8(Listed.size());
  for (size_t M = 0; M < Listed.size(); ++M) Utf8[M] = Latin1ToUtf8(Listed[M]->Name);
  std::vector<TBlenderName> Made(Gltf.size());
  for (size_t G = 0; G < Gltf.size(); ++G) Made[G] = BlenderNameParts(Gltf[G].NodeName);

  std::vector<std::optional<size_t>> MatchOf(Listed.size());  // model entry -> glTF entry
  std::vector<bool> Used(Gltf.size(), false);
  auto Pair = [&](size_t M, size_t G) {
    MatchOf[M] = G;
    Used[G] = true;
  };
  auto NameFits = [&](size_t M, const TGltfHardpoint& G, bool Loosely) {
    if (G.Hardpoint.Name == Listed[M]->Name) return true;
    return Loosely && IsBlenderName(G.NodeName, Utf8[M]);
  };
  // By mark: the node whose name still fits first, then any other.
  for (bool Loosely : {false, true})
    for (size_t G = 0; G < Gltf.size(); ++G) {
      if (Used[G] || !Gltf[G].Mark || *Gltf[G].Mark < 0 || size_t(*Gltf[G].Mark) >= Listed.size()) continue;
      const size_t M = size_t(*Gltf[G].Mark);
      if (!MatchOf[M] && (Loosely || NameFits(M, Gltf[G], true))) Pair(M, G);
    }

  // By name, the exact ones before the ones Blender made: each of the
  // model's hardpoints in turn takes the first free glTF entry whose name
  // fits, found among the entries of that name, of that node name, made
  // from that name with a suffix, or cut from a name it starts with.
  TQueues ByName, ByNodeName, ByBase, ByCutBase;
  std::vector<size_t> CutLengths;  // the lengths of the keys of ByCutBase
  for (TQueues* Queues : {&ByName, &ByNodeName, &ByBase}) Queues->reserve(Gltf.size());
  for (size_t G = 0; G < Gltf.size(); ++G) {
    ByName[Gltf[G].Hardpoint.Name].Entries.push_back(G);
    ByNodeName[Gltf[G].NodeName].Entries.push_back(G);
    ByBase[Made[G].Base].Entries.push_back(G);
    if (Made[G].MayBeCut) {
      ByCutBase[Made[G].Base].Entries.push_back(G);
      if (std::find(CutLengths.begin(), CutLengths.end(), Made[G].Base.size()) == CutLengths.end())
        CutLengths.push_back(Made[G].Base.size());
    }
  }
  for (size_t M = 0; M < Listed.size(); ++M)
    if (!MatchOf[M])
      if (const auto G = FrontOf(ByName, Listed[M]->Name, Used)) Pair(M, *G);
  for (size_t M = 0; M < Listed.size(); ++M) {
    if (MatchOf[M]) continue;
    std::optional<size_t> G = FrontOf(ByName, Listed[M]->Name, Used);
    Earliest(G, FrontOf(ByNodeName, Utf8[M], Used));
    Earliest(G, FrontOf(ByBase, Utf8[M], Used));
    for (size_t Length : CutLengths)
      if (Length < Utf8[M].size()) Earliest(G, FrontOf(ByCutBase, std::string_view(Utf8[M]).substr(0, Length), Used));
    if (G) Pair(M, *G);
  }

  bool AnyMatched = false;
  for (const auto& Match : MatchOf) AnyMatched = AnyMatched || Match.has_value();
  if (!Listed.empty() && !AnyMatched)
    throw EGltfHardpoints("GltfHardpoints: none of the model's hardpoints is found in " + GltfFile);

  // The first of the model's hardpoints by UTF-8 name, and by the first
  // Length bytes of names longer than that (a table per length, made when
  // first asked).
  std::unordered_map<std::string_view, size_t> FirstByName;
  FirstByName.reserve(Listed.size());
  for (size_t M = 0; M < Listed.size(); ++M) FirstByName.try_emplace(Utf8[M], M);
  auto FirstNamed = [&](std::string_view Name) -> std::optional<size_t> {
    auto It = FirstByName.find(Name);
    return It == FirstByName.end() ? std::nullopt : std::optional<size_t>(It->second);
  };
  std::unordered_map<size_t, std::unordered_map<std::string_view, size_t>> FirstByStart;
  auto FirstStartingWith = [&](std::string_view Start) -> std::optional<size_t> {
    auto [Table, New] = FirstByStart.try_emplace(Start.size());
    if (New)
      for (size_t M = 0; M < Listed.size(); ++M)
        if (Utf8[M].size() > Start.size())
          Table->second.try_emplace(std::string_view(Utf8[M]).substr(0, Start.size()), M);
    auto It = Table->second.find(Start);
    return It == Table->second.end() ? std::nullopt : std::optional<size_t>(It->second);
  };

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
    if (G.Hardpoint.Name != Listed[M]->Name && !IsBlenderName(G.NodeName, Utf8[M])) {
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
  std::unordered_set<std::string> Taken;
  std::vector<std::string> Names;
  for (size_t G = 0; G < Gltf.size(); ++G) {
    if (Used[G]) continue;
    if (!Gltf[G].Finite) {
      Changes << EscapeControlBytes(Gltf[G].Hardpoint.Name)
              << ": its transform holds a number that is not finite; left out\n";
      continue;
    }
    THardpoint Added = Gltf[G].Hardpoint;
    // A copy of one of the model's hardpoints takes its name back, as it
    // does when Blender kept the name in the extras: the first of the
    // model's whose name Blender could have made the node's from.
    std::optional<size_t> From = FirstNamed(Gltf[G].NodeName);
    Earliest(From, FirstNamed(Made[G].Base));
    if (Made[G].MayBeCut) Earliest(From, FirstStartingWith(Made[G].Base));
    if (From) Added.Name = Listed[*From]->Name;
    // A name another hardpoint holds is given a fresh one, as Duplicate
    // Hardpoint names a copy ("EngineLeft" then "EngineLeft2").
    if (Taken.empty()) {
      for (const THardpoint& Kept : Result) Taken.insert(Kept.Name), Names.push_back(Kept.Name);
      for (const TGltfHardpoint& Entry : Gltf) Names.push_back(Entry.Hardpoint.Name);
    }
    const std::string Shown = EscapeControlBytes(Added.Name);
    if (Taken.count(Added.Name)) {
      Added.Name = DuplicateHardpointName(Added.Name, Names);
      Names.push_back(Added.Name);
      Changes << EscapeControlBytes(Gltf[G].NodeName) << ": added as " << EscapeControlBytes(Added.Name) << "\n";
    } else {
      Changes << Shown << ": added\n";
    }
    Taken.insert(Added.Name);
    if (Gltf[G].Scaled)
      Changes << EscapeControlBytes(Added.Name)
              << ": its transform carried a scale or shear; the hardpoint keeps unit, perpendicular axes\n";
    Result.push_back(std::move(Added));
  }
  return Result;
}
