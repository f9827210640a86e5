#include "interchange/GltfSphere.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "interchange/GltfHardpoints.h"

std::array<float, 4> ReadGltfSphere(const std::string& FileName, const std::string& ModelName, std::ostream& Warnings) {
  const TGltfDocument Document = ReadGltfDocument(FileName);
  return GltfSphereUnder(Document, GltfHardpointRoot(Document, FileName, ModelName), FileName, Warnings);
}

std::array<float, 4> GltfSphereUnder(const TGltfDocument& Document, int Root, const std::string& FileName,
                                     std::ostream& Warnings) {
  std::optional<std::array<float, 4>> Found;
  WalkUnderRoot(Document, Root, [&](const TGltfNode& Node, const TMatrix4& World) {
    if (Found) return false;
    if (IsGltfSphereNode(Node)) {
      double Axis[3];
      for (int A = 0; A < 3; ++A)
        Axis[A] = std::sqrt(World[size_t(4 * A)] * World[size_t(4 * A)] +
                            World[size_t(4 * A + 1)] * World[size_t(4 * A + 1)] +
                            World[size_t(4 * A + 2)] * World[size_t(4 * A + 2)]);
      const double Radius = std::max({Axis[0], Axis[1], Axis[2]});
      const double Least = std::min({Axis[0], Axis[1], Axis[2]});
      const std::array<float, 4> Sphere{float(World[12]), float(World[13]), float(World[14]), float(Radius)};
      for (float V : Sphere)
        if (!std::isfinite(V))
          throw EGltfHardpoints("GltfHardpoints: the collision sphere in " + FileName + " is not finite");
      // A projection is no placement, and a sphere flattened to a disc, a
      // line or a point is no sphere: either would be stored as if it were.
      if (World[3] != 0 || World[7] != 0 || World[11] != 0 || World[15] != 1)
        throw EGltfHardpoints("GltfHardpoints: the collision sphere in " + FileName +
                              " is not a sphere: its transform is not affine (last row not 0 0 0 1)");
      if (!(Least > Radius * 1e-6))
        throw EGltfHardpoints("GltfHardpoints: the collision sphere in " + FileName +
                              " is not a sphere: its scale is zero along an axis");
      if (Least < Radius * (1 - 1e-4))
        Warnings << "COLL SPHR: scaled unevenly; the sphere takes the largest of its three scales\n";
      Found = Sphere;
      return false;
    }
    return true;
  });
  if (Found) return *Found;
  throw EGltfHardpoints("GltfHardpoints: no collision sphere (\"COLL SPHR\") found in " + FileName);
}
