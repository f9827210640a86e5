#include "interchange/GltfHardpoints.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "interchange/GltfExport.h"
#include "runtime/Latin1Text.h"
#include "interchange/RigidTransform.h"
#include "runtime/FileLayer.h"

namespace {

[[noreturn]] void Fail(const std::string& What) { throw EGltfHardpoints("GltfHardpoints: " + What); }

// Hardpoints need no pictures: images are left undecoded.
bool SkipImage(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*) {
  return true;
}

bool IsBinaryGltf(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  char Magic[4] = {};
  In.read(Magic, 4);
  return In.gcount() == 4 && std::memcmp(Magic, "glTF", 4) == 0;
}

std::string Trimmed(std::string Text) {
  while (!Text.empty() && (Text.back() == '\n' || Text.back() == ' ')) Text.pop_back();
  return Text;
}

TMatrix4 Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

TMatrix4 LocalMatrix(const tinygltf::Node& Node) {
  if (Node.matrix.size() == 16) {
    TMatrix4 M;
    std::copy(Node.matrix.begin(), Node.matrix.end(), M.begin());
    return M;
  }
  std::array<double, 3> T{0, 0, 0}, S{1, 1, 1};
  std::array<double, 4> R{0, 0, 0, 1};
  if (Node.translation.size() == 3) std::copy(Node.translation.begin(), Node.translation.end(), T.begin());
  if (Node.rotation.size() == 4) std::copy(Node.rotation.begin(), Node.rotation.end(), R.begin());
  if (Node.scale.size() == 3) std::copy(Node.scale.begin(), Node.scale.end(), S.begin());
  if (Node.matrix.empty() && Node.translation.empty() && Node.rotation.empty() && Node.scale.empty())
    return Identity();
  return ComposeTrs(T, R, S);
}

struct TFound {
  int Node = 0;
  TMatrix4 World{};  // relative to the root
  bool UnderRoot = false;  // a direct child of the root
};

// The exact matrix the export kept, when the node still has the rigid
// transform the export derived from it (to within what another tool's
// float arithmetic changes); otherwise none.
bool KeptMatrix(const tinygltf::Node& Node, const TMatrix4& World, std::array<float, 16>& Matrix) {
  if (!Node.extras.IsObject() || !Node.extras.Has(GltfMarks::Matrix)) return false;
  const tinygltf::Value& Kept = Node.extras.Get(GltfMarks::Matrix);
  if (!Kept.IsArray() || Kept.ArrayLen() != 16) return false;
  for (size_t I = 0; I < 16; ++I) {
    if (!Kept.Get(int(I)).IsNumber()) return false;
    Matrix[I] = float(Kept.Get(int(I)).GetNumberAsDouble());
    if (!std::isfinite(Matrix[I])) return false;
  }
  const TRigidTransform Rigid = NearestRigid(Matrix);
  const TMatrix4 Written = ComposeTrs(Rigid.Translation, Rigid.Rotation, {1, 1, 1});
  for (size_t I = 0; I < 16; ++I) {
    const double Scale = I >= 12 ? std::max(1.0, std::fabs(Written[I])) : 1.0;
    if (!(std::fabs(World[I] - Written[I]) <= 1e-4 * Scale)) return false;
  }
  return true;
}

}  // namespace

std::vector<THardpoint> ReadGltfHardpoints(const std::string& FileName) {
  if (!FileExists(FileName)) throw EFOpenError("Cannot open file " + FileName);
  tinygltf::TinyGLTF Loader;
  Loader.SetImageLoader(SkipImage, nullptr);
  tinygltf::Model Model;
  std::string Error, Warning;
  const bool Loaded = IsBinaryGltf(FileName) ? Loader.LoadBinaryFromFile(&Model, &Error, &Warning, FileName)
                                             : Loader.LoadASCIIFromFile(&Model, &Error, &Warning, FileName);
  if (!Loaded) Fail(FileName + " is not a glTF file I can read: " + Trimmed(Error));

  // The top nodes: the scene's, or every node no other node holds.
  std::vector<int> Top;
  const int SceneIndex = Model.defaultScene >= 0 ? Model.defaultScene : 0;
  if (SceneIndex < int(Model.scenes.size())) {
    Top = Model.scenes[size_t(SceneIndex)].nodes;
  } else {
    std::vector<bool> Held(Model.nodes.size(), false);
    for (const tinygltf::Node& Node : Model.nodes)
      for (int Child : Node.children)
        if (Child >= 0 && size_t(Child) < Held.size()) Held[size_t(Child)] = true;
    for (size_t I = 0; I < Held.size(); ++I)
      if (!Held[I]) Top.push_back(int(I));
  }

  // Every node under the root, depth first in file order, with its
  // transform relative to the root. A node is visited once, so a file whose
  // nodes hold one another in a loop still ends.
  std::vector<TFound> Nodes;
  std::vector<bool> Visited(Model.nodes.size(), false);
  auto Visit = [&](auto& Self, int Index, const TMatrix4* Parent, bool UnderRoot) -> void {
    if (Index < 0 || size_t(Index) >= Model.nodes.size() || Visited[size_t(Index)]) return;
    Visited[size_t(Index)] = true;
    const tinygltf::Node& Node = Model.nodes[size_t(Index)];
    const TMatrix4 Local = LocalMatrix(Node);
    const TMatrix4 World = Parent ? Multiply(*Parent, Local) : Local;
    Nodes.push_back({Index, World, UnderRoot});
    for (int Child : Node.children) Self(Self, Child, &World, false);
  };
  std::vector<int> RootChildren;
  if (Top.size() == 1 && Top[0] >= 0 && size_t(Top[0]) < Model.nodes.size()) {
    Visited[size_t(Top[0])] = true;  // the root's own transform is not part of any hardpoint's
    RootChildren = Model.nodes[size_t(Top[0])].children;
  } else {
    RootChildren = Top;
  }
  for (int Child : RootChildren) Visit(Visit, Child, nullptr, true);

  std::vector<std::pair<double, const TFound*>> Chosen;  // index, node
  for (const TFound& Found : Nodes) {
    const tinygltf::Value& Extras = Model.nodes[size_t(Found.Node)].extras;
    if (Extras.IsObject() && Extras.Has(GltfMarks::Hardpoint) && Extras.Get(GltfMarks::Hardpoint).IsNumber())
      Chosen.emplace_back(Extras.Get(GltfMarks::Hardpoint).GetNumberAsDouble(), &Found);
  }
  if (Chosen.empty()) {
    for (const TFound& Found : Nodes) {
      const tinygltf::Node& Node = Model.nodes[size_t(Found.Node)];
      if (Found.UnderRoot && Node.mesh < 0 && Node.name != "COLL SPHR") Chosen.emplace_back(0, &Found);
    }
  }
  if (Chosen.empty()) Fail("no hardpoint found in " + FileName);
  std::stable_sort(Chosen.begin(), Chosen.end(),
                   [](const auto& A, const auto& B) { return A.first < B.first; });

  std::vector<THardpoint> Hardpoints;
  for (const auto& [Order, Found] : Chosen) {
    const tinygltf::Node& Node = Model.nodes[size_t(Found->Node)];
    THardpoint Hardpoint;
    Hardpoint.Name = Node.name;
    if (Node.extras.IsObject() && Node.extras.Has(GltfMarks::Latin1Name)) Utf8ToLatin1(Node.name, Hardpoint.Name);
    if (!KeptMatrix(Node, Found->World, Hardpoint.Matrix)) {
      for (size_t I = 0; I < 16; ++I) Hardpoint.Matrix[I] = float(Found->World[I]);
    }
    for (float E : Hardpoint.Matrix)
      if (!std::isfinite(E)) Fail("the transform of hardpoint " + Node.name + " is not finite");
    Hardpoints.push_back(std::move(Hardpoint));
  }
  return Hardpoints;
}
