#include "interchange/GltfHardpoints.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "interchange/RigidTransform.h"
#include "model/HardpointName.h"
#include "runtime/Latin1Text.h"

namespace {

[[noreturn]] void Fail(const std::string& What) { throw EGltfHardpoints("GltfHardpoints: " + What); }

bool IsHardpointNode(const TGltfNode& Node) {
  return !Node.HasMesh && !Node.IsCameraOrLight && !Node.HelperMark && !IsGltfSphereNode(Node);
}

// Blender's longest name, in bytes.
constexpr size_t BlenderNameBytes = 63;

// The exact matrix the export kept, when the node still has the rigid
// transform the export derived from it (to within what another tool's
// float arithmetic changes).
bool StillWhereExported(const std::array<float, 16>& Kept, const TMatrix4& World) {
  const TRigidTransform Rigid = NearestRigid(Kept);
  const TMatrix4 Written = ComposeTrs(Rigid.Translation, Rigid.Rotation, {1, 1, 1});
  for (size_t I = 0; I < 16; ++I) {
    const double Scale = I >= 12 ? std::max(1.0, std::fabs(Written[I])) : 1.0;
    if (!(std::fabs(World[I] - Written[I]) <= 1e-4 * Scale)) return false;
  }
  return true;
}

// Whether the upper 3x3 part holds unit, perpendicular, right-handed axes
// to within what float arithmetic in another tool leaves.
bool HasUnitAxes(const TMatrix4& M) {
  for (int A = 0; A < 3; ++A)
    for (int B = A; B < 3; ++B) {
      double Dot = 0;
      for (int R = 0; R < 3; ++R) Dot += M[size_t(4 * A + R)] * M[size_t(4 * B + R)];
      if (!(std::fabs(Dot - (A == B ? 1 : 0)) <= 1e-4)) return false;
    }
  const double Det =
      M[0] * (M[5] * M[10] - M[6] * M[9]) - M[4] * (M[1] * M[10] - M[2] * M[9]) + M[8] * (M[1] * M[6] - M[2] * M[5]);
  return Det > 0;
}

TGltfHardpoint MakeHardpoint(const TGltfNode& Node, const TMatrix4& World, const std::string& FileName) {
  TGltfHardpoint Found;
  Found.NodeName = Node.Name;
  if (Node.HardpointMark && std::isfinite(*Node.HardpointMark) && std::fabs(*Node.HardpointMark) < 1e15)
    Found.Mark = int64_t(*Node.HardpointMark);
  // The model's own name where the node's is still the one the export
  // gave, or one Blender made from it.
  std::string Name = Node.Name;
  bool Latin1 = Node.Latin1Name;
  const bool ModelsOwn = Node.OriginalName && IsBlenderName(Node.Name, *Node.OriginalName);
  if (ModelsOwn)
    Name = *Node.OriginalName;
  else if (Node.OriginalName)
    Latin1 = false;  // renamed by the artist: kept as typed
  Found.Hardpoint.Name = Name;
  if (Latin1) Utf8ToLatin1(Name, Found.Hardpoint.Name);
  // A name the model file or the script cannot carry is refused here, where
  // it enters, with the rule's reason; the model's own names stay as they
  // are, and a node without a name gets a fresh one (FindGltfHardpoints).
  if (const std::string Problem = HardpointNameProblem(Found.Hardpoint.Name);
      !Problem.empty() && !ModelsOwn && !Found.Hardpoint.Name.empty())
    Fail("hardpoint \"" + EscapeControlBytes(Node.Name) + "\" in " + FileName + ": " + Problem);

  for (double E : World) Found.Finite = Found.Finite && std::isfinite(E) && std::fabs(E) <= 3.4028234663852886e38;
  if (!Found.Finite) {
    Found.Hardpoint.Matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    return Found;
  }
  if (Node.KeptMatrix && StillWhereExported(*Node.KeptMatrix, World)) {
    Found.Hardpoint.Matrix = *Node.KeptMatrix;
    Found.Kept = true;
    return Found;
  }
  for (size_t I = 0; I < 16; ++I) Found.Hardpoint.Matrix[I] = float(World[I]);
  if (!HasUnitAxes(World) || World[3] != 0 || World[7] != 0 || World[11] != 0 || World[15] != 1) {
    // A scale (an artist's way to see an empty better), a shear or a mirror:
    // the hardpoint keeps the nearest rotation and its position.
    Found.Scaled = true;
    const TRigidTransform Rigid = NearestRigid(Found.Hardpoint.Matrix);
    const TMatrix4 M = ComposeTrs(Rigid.Translation, Rigid.Rotation, {1, 1, 1});
    for (size_t I = 0; I < 16; ++I) Found.Hardpoint.Matrix[I] = float(M[I]);
  }
  return Found;
}

std::string Listed(const TGltfDocument& Document, const std::vector<int>& Nodes) {
  std::string Text;
  for (int N : Nodes) Text += (Text.empty() ? "\"" : ", \"") + Document.Nodes[size_t(N)].Name + "\"";
  return Text;
}

}  // namespace

TBlenderName BlenderNameParts(const std::string& GltfName) {
  TBlenderName Parts;
  Parts.Base = GltfName;
  const size_t Dot = GltfName.rfind('.');
  if (Dot != std::string::npos && GltfName.size() - Dot >= 4 &&
      std::all_of(GltfName.begin() + long(Dot) + 1, GltfName.end(), [](unsigned char C) { return std::isdigit(C); }))
    Parts.Base = Parts.Base.substr(0, Dot);
  // Cut to fit, on a character's boundary, the suffix's room included.
  Parts.MayBeCut = GltfName.size() <= BlenderNameBytes && GltfName.size() + 4 >= BlenderNameBytes;
  return Parts;
}

bool IsBlenderName(const std::string& GltfName, const std::string& Name) {
  if (GltfName == Name) return true;
  const TBlenderName Parts = BlenderNameParts(GltfName);
  if (Parts.Base == Name) return true;
  return Parts.MayBeCut && Name.size() > Parts.Base.size() && Name.starts_with(Parts.Base);
}

int GltfHardpointRoot(const TGltfDocument& Document, const std::string& FileName, const std::string& ModelName) {
  const size_t Count = Document.Nodes.size();
  std::vector<int> Candidates;
  std::vector<bool> IsCandidate(Count, false);
  for (int Top : Document.Top)
    if (size_t(Top) < Count && !Document.Nodes[size_t(Top)].IsCameraOrLight && !IsCandidate[size_t(Top)]) {
      IsCandidate[size_t(Top)] = true;
      Candidates.push_back(Top);
    }
  if (Candidates.size() == 1) return Candidates[0];

  // What each top node holds, every node counted once.
  std::vector<bool> Seen(Count, false);
  std::vector<int> Named, Marked, Best;
  size_t MostLoose = 0;
  for (int Top : Candidates) {
    const TGltfNode& Node = Document.Nodes[size_t(Top)];
    if (!ModelName.empty() && Node.Name == Latin1ToUtf8(ModelName)) Named.push_back(Top);
    bool HoldsMarks = false;
    // Only nodes not seen yet go on the stack, each once: no more entries
    // than nodes, however often the lists name them.
    std::vector<size_t> Stack;
    auto Push = [&](const std::vector<int>& Children) {
      for (int Child : Children)
        if (size_t(Child) < Count && !Seen[size_t(Child)]) {
          Seen[size_t(Child)] = true;
          Stack.push_back(size_t(Child));
        }
    };
    Push(Node.Children);
    while (!Stack.empty()) {
      const TGltfNode& Below = Document.Nodes[Stack.back()];
      Stack.pop_back();
      HoldsMarks = HoldsMarks || Below.HardpointMark || IsGltfSphereNode(Below) || Below.HelperMark;
      Push(Below.Children);
    }
    if (HoldsMarks) Marked.push_back(Top);
    size_t Loose = 0;
    for (int Child : Node.Children)
      if (size_t(Child) < Count && IsHardpointNode(Document.Nodes[size_t(Child)])) ++Loose;
    if (Loose > MostLoose) MostLoose = Loose, Best.clear();
    if (Loose == MostLoose && Loose > 0) Best.push_back(Top);
  }
  for (const std::vector<int>* Rule : {&Named, &Marked, &Best}) {
    if (Rule->size() == 1) return (*Rule)[0];
    if (Rule->size() > 1)
      Fail("cannot tell which node of " + FileName + " holds the hardpoints: " + Listed(Document, *Rule));
  }
  if (Candidates.empty()) Fail("no hardpoint found in " + FileName);
  Fail("cannot tell which node of " + FileName + " holds the hardpoints: " + Listed(Document, Candidates));
}

bool IsGltfSphereNode(const TGltfNode& Node) { return Node.SphereMark || Node.Name == "COLL SPHR"; }

void WalkUnderRoot(const TGltfDocument& Document, int Root,
                   const std::function<bool(const TGltfNode& Node, const TMatrix4& World)>& Visit) {
  const size_t Count = Document.Nodes.size();
  std::vector<bool> Seen(Count, false);
  Seen[size_t(Root)] = true;  // the root's own transform is not part of any node's under it
  const TMatrix4 Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  // One frame per node on the path down, each with the next of its children
  // to look at: a child list that names a node many times costs no memory,
  // and the path is never longer than the nodes.
  struct TFrame {
    const std::vector<int>* Children;
    size_t Next;
    TMatrix4 World;
  };
  std::vector<TFrame> Path{{&Document.Nodes[size_t(Root)].Children, 0, Identity}};
  while (!Path.empty()) {
    TFrame& Frame = Path.back();
    if (Frame.Next == Frame.Children->size()) {
      Path.pop_back();
      continue;
    }
    const int Index = (*Frame.Children)[Frame.Next++];
    if (Index < 0 || size_t(Index) >= Count || Seen[size_t(Index)]) continue;
    Seen[size_t(Index)] = true;
    const TGltfNode& Node = Document.Nodes[size_t(Index)];
    // The root's children as they are: a product would turn -0 into 0.
    const TMatrix4 World = Frame.World == Identity ? Node.Local : Multiply(Frame.World, Node.Local);
    if (Visit(Node, World)) Path.push_back({&Node.Children, 0, World});
  }
}

std::vector<TGltfHardpoint> FindGltfHardpoints(const TGltfDocument& Document, int Root, const std::string& FileName) {
  std::vector<TGltfHardpoint> Marked, Unmarked;
  WalkUnderRoot(Document, Root, [&](const TGltfNode& Node, const TMatrix4& World) {
    if (IsGltfSphereNode(Node) || Node.HelperMark) return false;  // with everything under it
    if (IsHardpointNode(Node)) {
      TGltfHardpoint Found = MakeHardpoint(Node, World, FileName);
      (Found.Mark ? Marked : Unmarked).push_back(std::move(Found));
    }
    return true;
  });
  std::stable_sort(Marked.begin(), Marked.end(), [](const auto& A, const auto& B) { return *A.Mark < *B.Mark; });
  for (TGltfHardpoint& H : Unmarked) Marked.push_back(std::move(H));
  std::vector<std::string> Names;
  for (const TGltfHardpoint& H : Marked) Names.push_back(H.Hardpoint.Name);
  TFreshHardpointNames Fresh(Names);
  for (TGltfHardpoint& H : Marked)
    if (H.Hardpoint.Name.empty()) H.Hardpoint.Name = Fresh.Next();
  return Marked;
}

void NameCopiesAfresh(std::vector<TGltfHardpoint>& Hardpoints, std::ostream& Notes) {
  std::vector<std::string> Names;
  for (const TGltfHardpoint& H : Hardpoints) Names.push_back(H.Hardpoint.Name);
  std::unordered_set<std::string> Taken;
  std::unordered_set<int64_t> Marks;
  for (TGltfHardpoint& H : Hardpoints) {
    // The model's own hardpoints, each with a mark of its own, keep their
    // names even where the model repeats one; a copy carries its
    // original's mark, or none.
    const bool Own = H.Mark && Marks.insert(*H.Mark).second;
    if (!Taken.insert(H.Hardpoint.Name).second && !Own) {
      H.Hardpoint.Name = DuplicateHardpointName(H.Hardpoint.Name, Names);
      Names.push_back(H.Hardpoint.Name);
      Taken.insert(H.Hardpoint.Name);
      Notes << EscapeControlBytes(H.NodeName) << ": named " << EscapeControlBytes(H.Hardpoint.Name)
            << ", as another hardpoint has its name\n";
    }
  }
}

std::vector<THardpoint> ReadGltfHardpoints(const std::string& FileName, std::ostream& Warnings) {
  const TGltfDocument Document = ReadGltfDocument(FileName);
  const int Root = GltfHardpointRoot(Document, FileName, "");
  std::vector<THardpoint> Hardpoints;
  std::vector<TGltfHardpoint> All = FindGltfHardpoints(Document, Root, FileName);
  NameCopiesAfresh(All, Warnings);
  for (TGltfHardpoint& Found : All) {
    if (!Found.Finite) Fail("the transform of hardpoint " + EscapeControlBytes(Found.NodeName) + " is not finite");
    if (Found.Scaled)
      Warnings << EscapeControlBytes(Found.NodeName)
               << ": its transform carried a scale or shear; the hardpoint keeps unit, perpendicular axes\n";
    Hardpoints.push_back(std::move(Found.Hardpoint));
  }
  if (Hardpoints.empty()) Fail("no hardpoint found in " + FileName);
  return Hardpoints;
}
