#include "interchange/GltfSphere.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "interchange/GltfHardpoints.h"
#include "runtime/NumberFormat.h"

namespace {

double Square(double X) { return X * X; }

}  // namespace

std::optional<std::array<float, 4>> FindGltfSphere(const TGltfDocument& Document, int Root, const std::string& FileName,
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
  return Found;
}

std::array<float, 4> ReadGltfSphere(const std::string& FileName, const std::string& ModelName, std::ostream& Warnings) {
  const TGltfDocument Document = ReadGltfDocument(FileName);
  const int Root = GltfHardpointRoot(Document, FileName, ModelName);
  if (const auto Found = FindGltfSphere(Document, Root, FileName, Warnings)) return *Found;
  throw EGltfHardpoints("GltfHardpoints: no collision sphere (\"COLL SPHR\") found in " + FileName);
}

void SayGltfSphereChange(const std::array<float, 4>& Model, const std::array<float, 4>& Edited, std::ostream& Changes) {
  if (std::memcmp(Model.data(), Edited.data(), sizeof Model) == 0) return;
  const double Distance = std::sqrt(Square(double(Edited[0]) - Model[0]) + Square(double(Edited[1]) - Model[1]) +
                                    Square(double(Edited[2]) - Model[2]));
  std::string Line;
  if (Distance >= 0.0005) Line = "moved by " + FormatFixed3(float(Distance));
  if (std::fabs(double(Edited[3]) - Model[3]) >= 0.0005)
    Line += (Line.empty() ? "" : ", ") + std::string("\"Diameter:\" ") + FormatFixed3(Model[3]) + " -> " +
            FormatFixed3(Edited[3]);
  Changes << "COLL SPHR: " << (Line.empty() ? std::string("changed") : Line) << "\n";
}

std::array<float, 4> GltfSphereUnder(const TGltfDocument& Document, int Root, const std::string& FileName,
                                     std::ostream& Warnings) {
  if (const auto Found = FindGltfSphere(Document, Root, FileName, Warnings)) return *Found;
  throw EGltfHardpoints("GltfHardpoints: no collision sphere (\"COLL SPHR\") found in " + FileName);
}
