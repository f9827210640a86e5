#include "interchange/GltfSphere.h"

#include <algorithm>
#include <cmath>

#include "interchange/GltfHardpoints.h"

std::array<float, 4> ReadGltfSphere(const std::string& FileName, const std::string& ModelName, std::ostream& Warnings) {
  const TGltfDocument Document = ReadGltfDocument(FileName);
  const int Root = GltfHardpointRoot(Document, FileName, ModelName);
  const size_t Count = Document.Nodes.size();
  const TMatrix4 Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::vector<bool> Seen(Count, false);
  Seen[size_t(Root)] = true;
  std::vector<std::pair<int, TMatrix4>> Stack;
  const std::vector<int>& Top = Document.Nodes[size_t(Root)].Children;
  for (auto It = Top.rbegin(); It != Top.rend(); ++It) Stack.emplace_back(*It, Identity);
  while (!Stack.empty()) {
    const auto [Index, Parent] = Stack.back();
    Stack.pop_back();
    if (size_t(Index) >= Count || Seen[size_t(Index)]) continue;
    Seen[size_t(Index)] = true;
    const TGltfNode& Node = Document.Nodes[size_t(Index)];
    const TMatrix4 World = Parent == Identity ? Node.Local : Multiply(Parent, Node.Local);
    if (Node.SphereMark || Node.Name == "COLL SPHR") {
      double Axis[3];
      for (int A = 0; A < 3; ++A)
        Axis[A] = std::sqrt(World[size_t(4 * A)] * World[size_t(4 * A)] + World[size_t(4 * A + 1)] * World[size_t(4 * A + 1)] +
                            World[size_t(4 * A + 2)] * World[size_t(4 * A + 2)]);
      const double Radius = std::max({Axis[0], Axis[1], Axis[2]});
      if (std::min({Axis[0], Axis[1], Axis[2]}) < Radius * (1 - 1e-4))
        Warnings << "COLL SPHR: scaled unevenly; the sphere takes the largest of its three scales\n";
      const std::array<float, 4> Sphere{float(World[12]), float(World[13]), float(World[14]), float(Radius)};
      for (float V : Sphere)
        if (!std::isfinite(V)) throw EGltfHardpoints("GltfHardpoints: the collision sphere in " + FileName + " is not finite");
      return Sphere;
    }
    for (auto It = Node.Children.rbegin(); It != Node.Children.rend(); ++It) Stack.emplace_back(*It, World);
  }
  throw EGltfHardpoints("GltfHardpoints: no collision sphere (\"COLL SPHR\") found in " + FileName);
}
