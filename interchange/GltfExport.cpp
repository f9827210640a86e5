#include "interchange/GltfExport.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "interchange/RigidTransform.h"
#include "runtime/Latin1Text.h"
#include "runtime/OutputFiles.h"

namespace {

constexpr int ArrayBuffer = 34962;         // GL_ARRAY_BUFFER
constexpr int ElementArrayBuffer = 34963;  // GL_ELEMENT_ARRAY_BUFFER
constexpr int Linear = 9729;               // GL_LINEAR

// A URI reference for a file name beside the JSON: everything but the
// unreserved characters percent-encoded.
std::string UriOf(const std::string& FileName) {
  static const char* Hex = "0123456789ABCDEF";
  std::string Uri;
  for (unsigned char C : FileName) {
    if (std::isalnum(C) || C == '-' || C == '.' || C == '_' || C == '~') {
      Uri += char(C);
    } else {
      Uri += '%';
      Uri += Hex[C >> 4];
      Uri += Hex[C & 15];
    }
  }
  return Uri;
}

// The image writer tinygltf calls for images with a URI: the files are
// already written, so it only names them.
bool NameWrittenImage(const std::string*, const std::string*, const tinygltf::Image* Image, bool, std::string* OutUri,
                      void*) {
  *OutUri = Image->uri;
  return true;
}

class TGltfBuilder {
public:
  TGltfBuilder(const std::map<int32_t, TTextureImage>& Images, TGltfForm Form, std::ostream& Warnings)
      : FImages(Images), FForm(Form), FWarnings(Warnings) {}

  tinygltf::Model Build(const TExportedModel& Model);
  // The images of the Json form, written beside the JSON: file name, bytes.
  std::vector<std::pair<std::string, std::vector<uint8_t>>> ImageFiles;
  std::vector<unsigned char> Data;  // the one buffer

private:
  int AddView(const void* Bytes, size_t Size, int Target);
  int AddAccessor(int View, int ComponentType, int Type, size_t Count);
  int Material(int32_t Texture);
  int LevelNode(const TExportedLevel& Level, const std::string& ModelName);
  int HardpointNode(const TExportedHardpoint& Entry);
  int SphereNode(const std::array<float, 4>& Sphere, const std::string& ModelName);
  int HelperMesh(const std::string& Name, const std::vector<float>& Positions, const std::vector<uint32_t>& Indices,
                 int Mode);
  int HelperNode(const std::string& Name, int Mesh);

  float FMarkerLength = 1;  // the editor's hardpoint line: a tenth of the model's largest extent
  int FMarkerMesh = -1, FSphereMesh = -1;

  const std::map<int32_t, TTextureImage>& FImages;
  TGltfForm FForm;
  std::ostream& FWarnings;
  tinygltf::Model FModel;
  std::map<int32_t, int> FMaterials;
};

int TGltfBuilder::AddView(const void* Bytes, size_t Size, int Target) {
  while (Data.size() % 4) Data.push_back(0);  // every accessor starts aligned
  tinygltf::BufferView View;
  View.buffer = 0;
  View.byteOffset = Data.size();
  View.byteLength = Size;
  View.target = Target;
  const auto* P = static_cast<const unsigned char*>(Bytes);
  Data.insert(Data.end(), P, P + Size);
  FModel.bufferViews.push_back(std::move(View));
  return int(FModel.bufferViews.size() - 1);
}

int TGltfBuilder::AddAccessor(int View, int ComponentType, int Type, size_t Count) {
  tinygltf::Accessor Accessor;
  Accessor.bufferView = View;
  Accessor.byteOffset = 0;
  Accessor.componentType = ComponentType;
  Accessor.type = Type;
  Accessor.count = Count;
  FModel.accessors.push_back(std::move(Accessor));
  return int(FModel.accessors.size() - 1);
}

int TGltfBuilder::Material(int32_t Texture) {
  auto Found = FMaterials.find(Texture);
  if (Found != FMaterials.end()) return Found->second;
  tinygltf::Material Material;
  Material.name = TextureName(Texture);
  // Plain, not metallic: the model's own drawing knows no metal.
  Material.pbrMetallicRoughness.metallicFactor = 0;
  Material.pbrMetallicRoughness.roughnessFactor = 1;
  auto Image = FImages.find(Texture);
  if (Image != FImages.end()) {
    if (FModel.samplers.empty()) {
      tinygltf::Sampler Sampler;  // linear both ways, as the drawing uploads textures
      Sampler.magFilter = Linear;
      Sampler.minFilter = Linear;
      FModel.samplers.push_back(Sampler);
    }
    tinygltf::Image Picture;
    Picture.name = TextureName(Texture);
    Picture.mimeType = "image/png";
    std::vector<uint8_t> Png = TexturePng(Image->second);
    if (FForm == TGltfForm::Binary) {
      Picture.bufferView = AddView(Png.data(), Png.size(), 0);
      FModel.bufferViews.back().target = 0;
    } else {
      Picture.uri = UriOf(TextureName(Texture) + ".png");
      ImageFiles.emplace_back(TextureName(Texture) + ".png", std::move(Png));
    }
    FModel.images.push_back(std::move(Picture));
    tinygltf::Texture Tex;
    Tex.sampler = 0;
    Tex.source = int(FModel.images.size() - 1);
    FModel.textures.push_back(Tex);
    Material.pbrMetallicRoughness.baseColorTexture.index = int(FModel.textures.size() - 1);
  }
  FModel.materials.push_back(std::move(Material));
  FMaterials[Texture] = int(FModel.materials.size() - 1);
  return FMaterials[Texture];
}

// The face's normal as a unit vector: the stored one when it is of unit
// length to float precision, else normalised, else (a zero normal) the
// direction the drawn corners turn in.
TVector UnitNormal(const TExportedLevel& Level, const TFace& Face, bool& Changed) {
  const TVector N = Level.Normals[size_t(Face.Normal)];
  const double L2 = double(N.X) * N.X + double(N.Y) * N.Y + double(N.Z) * N.Z;
  Changed = std::fabs(L2 - 1) > 1e-5;
  if (!Changed) return N;
  double X = N.X, Y = N.Y, Z = N.Z, L = std::sqrt(L2);
  if (!(L > 1e-20) || !std::isfinite(L)) {
    X = Y = Z = 0;  // Newell's normal of the polygon as drawn
    for (int32_t I = 0; I < Face.Count; ++I) {
      const TVector& A = Level.Vertices[size_t(Level.FaceVertices[size_t(DrawnCorner(Face, I))].Vertex)];
      const TVector& B =
          Level.Vertices[size_t(Level.FaceVertices[size_t(DrawnCorner(Face, (I + 1) % Face.Count))].Vertex)];
      X += (double(A.Y) - B.Y) * (double(A.Z) + B.Z);
      Y += (double(A.Z) - B.Z) * (double(A.X) + B.X);
      Z += (double(A.X) - B.X) * (double(A.Y) + B.Y);
    }
    L = std::sqrt(X * X + Y * Y + Z * Z);
    if (!(L > 1e-20) || !std::isfinite(L)) X = 0, Y = 0, Z = 1, L = 1;
  }
  return {float(X / L), float(Y / L), float(Z / L)};
}

int TGltfBuilder::LevelNode(const TExportedLevel& Level, const std::string& ModelName) {
  tinygltf::Node Node;
  Node.name = Level.Name;
  if (Level.Faces.empty()) {
    FWarnings << ModelName << ": level " << Level.Name << " has no faces to export\n";
    FModel.nodes.push_back(std::move(Node));
    return int(FModel.nodes.size() - 1);
  }
  // Every corner its own vertex, as the normals are per face; the groups'
  // corners follow one another, each face's in drawing order.
  size_t Corners = 0, Triangles = 0;
  for (const TFace& Face : Level.Faces) Corners += size_t(Face.Count), Triangles += size_t(Face.Count - 2);
  std::vector<float> Positions, Normals, TexCoords;
  Positions.reserve(Corners * 3);
  Normals.reserve(Corners * 3);
  TexCoords.reserve(Corners * 2);
  std::vector<uint32_t> Indices;
  Indices.reserve(Triangles * 3);
  std::vector<std::pair<size_t, size_t>> GroupIndices;  // first index, count
  int64_t Renormalised = 0;
  float Min[3] = {INFINITY, INFINITY, INFINITY}, Max[3] = {-INFINITY, -INFINITY, -INFINITY};
  float NMin[3] = {INFINITY, INFINITY, INFINITY}, NMax[3] = {-INFINITY, -INFINITY, -INFINITY};
  for (const TTextureGroup& Group : Level.Groups) {
    const size_t FirstIndex = Indices.size();
    for (int32_t F : Group.Faces) {
      const TFace& Face = Level.Faces[size_t(F)];
      bool Changed = false;
      const TVector N = UnitNormal(Level, Face, Changed);
      Renormalised += Changed;
      const uint32_t Base = uint32_t(Positions.size() / 3);
      for (int32_t I = 0; I < Face.Count; ++I) {
        const TFaceVertex& Corner = Level.FaceVertices[size_t(DrawnCorner(Face, I))];
        const TVector& P = Level.Vertices[size_t(Corner.Vertex)];
        const float Pv[3] = {P.X, P.Y, P.Z}, Nv[3] = {N.X, N.Y, N.Z};
        for (int A = 0; A < 3; ++A) {
          Positions.push_back(Pv[A]);
          Normals.push_back(Nv[A]);
          Min[A] = std::min(Min[A], Pv[A]), Max[A] = std::max(Max[A], Pv[A]);
          NMin[A] = std::min(NMin[A], Nv[A]), NMax[A] = std::max(NMax[A], Nv[A]);
        }
        TexCoords.push_back(Corner.S);
        TexCoords.push_back(Corner.T);
      }
      for (int32_t I = 1; I + 1 < Face.Count; ++I) {
        Indices.push_back(Base);
        Indices.push_back(Base + uint32_t(I));
        Indices.push_back(Base + uint32_t(I) + 1);
      }
    }
    GroupIndices.emplace_back(FirstIndex, Indices.size() - FirstIndex);
  }
  if (Renormalised)
    FWarnings << ModelName << ": level " << Level.Name << ": " << Renormalised
              << " face normal(s) not of unit length were written normalised\n";
  if (Positions.size() / 3 > UINT32_MAX) throw EGltfExport("Export: level " + Level.Name + " has too many corners");

  const size_t VertexCount = Positions.size() / 3;
  const int PositionAccessor = AddAccessor(AddView(Positions.data(), Positions.size() * 4, ArrayBuffer),
                                           TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, VertexCount);
  FModel.accessors[size_t(PositionAccessor)].minValues = {Min[0], Min[1], Min[2]};
  FModel.accessors[size_t(PositionAccessor)].maxValues = {Max[0], Max[1], Max[2]};
  const int NormalAccessor = AddAccessor(AddView(Normals.data(), Normals.size() * 4, ArrayBuffer),
                                         TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, VertexCount);
  FModel.accessors[size_t(NormalAccessor)].minValues = {NMin[0], NMin[1], NMin[2]};
  FModel.accessors[size_t(NormalAccessor)].maxValues = {NMax[0], NMax[1], NMax[2]};
  const int TexCoordAccessor = AddAccessor(AddView(TexCoords.data(), TexCoords.size() * 4, ArrayBuffer),
                                           TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, VertexCount);
  const int IndexView = AddView(Indices.data(), Indices.size() * 4, ElementArrayBuffer);

  tinygltf::Mesh Mesh;
  Mesh.name = Level.Name;
  for (size_t G = 0; G < Level.Groups.size(); ++G) {
    const int Accessor =
        AddAccessor(IndexView, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, GroupIndices[G].second);
    FModel.accessors[size_t(Accessor)].byteOffset = GroupIndices[G].first * 4;
    tinygltf::Primitive Primitive;
    Primitive.attributes = {
        {"POSITION", PositionAccessor}, {"NORMAL", NormalAccessor}, {"TEXCOORD_0", TexCoordAccessor}};
    Primitive.indices = Accessor;
    Primitive.material = Material(Level.Groups[G].Texture);
    Primitive.mode = TINYGLTF_MODE_TRIANGLES;
    Mesh.primitives.push_back(std::move(Primitive));
  }
  // The level's four arrays as the file holds them ride along, so that the
  // way back gives every face, position, normal and corner in its place and
  // order; a reader uses them only while the triangles still are theirs.
  if (!Level.Vertices.empty() && !Level.Normals.empty() && !Level.FaceVertices.empty()) {
    tinygltf::Value::Array Chunks;
    for (const auto& [Bytes, Size] : {std::pair<const void*, size_t>{Level.Vertices.data(), Level.Vertices.size() * 12},
                                      {Level.Normals.data(), Level.Normals.size() * 12},
                                      {Level.FaceVertices.data(), Level.FaceVertices.size() * 16},
                                      {Level.Faces.data(), Level.Faces.size() * 28}}) {
      Chunks.emplace_back(AddView(Bytes, Size, 0));
      FModel.bufferViews.back().target = 0;
    }
    Mesh.extras = tinygltf::Value(tinygltf::Value::Object{{GltfMarks::MeshChunks, tinygltf::Value(std::move(Chunks))}});
  }
  FModel.meshes.push_back(std::move(Mesh));
  Node.mesh = int(FModel.meshes.size() - 1);
  FModel.nodes.push_back(std::move(Node));
  return int(FModel.nodes.size() - 1);
}

// A mesh drawn for the eye only (the sphere, the hardpoints' directions):
// positions, with its own bounds, and indices.
int TGltfBuilder::HelperMesh(const std::string& Name, const std::vector<float>& Positions,
                             const std::vector<uint32_t>& Indices, int Mode) {
  const int PositionAccessor = AddAccessor(AddView(Positions.data(), Positions.size() * 4, ArrayBuffer),
                                           TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, Positions.size() / 3);
  std::vector<double> Min{INFINITY, INFINITY, INFINITY}, Max{-INFINITY, -INFINITY, -INFINITY};
  for (size_t I = 0; I < Positions.size(); ++I)
    Min[I % 3] = std::min(Min[I % 3], double(Positions[I])), Max[I % 3] = std::max(Max[I % 3], double(Positions[I]));
  FModel.accessors[size_t(PositionAccessor)].minValues = Min;
  FModel.accessors[size_t(PositionAccessor)].maxValues = Max;
  tinygltf::Primitive Primitive;
  Primitive.attributes = {{"POSITION", PositionAccessor}};
  Primitive.indices = AddAccessor(AddView(Indices.data(), Indices.size() * 4, ElementArrayBuffer),
                                  TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, Indices.size());
  Primitive.mode = Mode;
  tinygltf::Mesh Mesh;
  Mesh.name = Name;
  Mesh.primitives.push_back(std::move(Primitive));
  FModel.meshes.push_back(std::move(Mesh));
  return int(FModel.meshes.size() - 1);
}

int TGltfBuilder::HelperNode(const std::string& Name, int Mesh) {
  tinygltf::Node Node;
  Node.name = Name;
  Node.mesh = Mesh;
  Node.extras = tinygltf::Value(tinygltf::Value::Object{{GltfMarks::Helper, tinygltf::Value(true)}});
  FModel.nodes.push_back(std::move(Node));
  return int(FModel.nodes.size() - 1);
}

int TGltfBuilder::HardpointNode(const TExportedHardpoint& Entry) {
  const std::array<float, 16>& M = Entry.Hardpoint.Matrix;
  tinygltf::Node Node;
  bool Latin1 = false;
  Node.name = Latin1ToUtf8(Entry.Hardpoint.Name, &Latin1);
  tinygltf::Value::Object Extras;
  Extras[GltfMarks::Hardpoint] = tinygltf::Value(int(Entry.Index));
  // Kept for the way back: 3D tools change names (Blender cuts them to 63
  // bytes and numbers duplicates).
  Extras[GltfMarks::OriginalName] = tinygltf::Value(Node.name);
  if (Latin1) Extras[GltfMarks::Latin1Name] = tinygltf::Value(true);
  bool Finite = true;
  for (float E : M) Finite = Finite && std::isfinite(E);
  if (IsRigid(M)) {
    Node.matrix.assign(M.begin(), M.end());
  } else if (Finite) {
    // Other tools take rotations and translations only: they get the
    // nearest one, and the exact numbers ride along for the way back.
    const TRigidTransform Rigid = NearestRigid(M);
    Node.translation.assign(Rigid.Translation.begin(), Rigid.Translation.end());
    Node.rotation.assign(Rigid.Rotation.begin(), Rigid.Rotation.end());
    tinygltf::Value::Array Exact;
    for (float E : M) Exact.emplace_back(double(E));
    Extras[GltfMarks::Matrix] = tinygltf::Value(std::move(Exact));
  } else {
    FWarnings << "hardpoint " << Node.name
              << ": its matrix holds a number that is not finite; exported without its transform\n";
  }
  Node.extras = tinygltf::Value(std::move(Extras));
  if (FMarkerMesh < 0) {
    // The editor's line along the local Z axis, as a slim three-sided spike
    // every viewer shows (lines alone many tools drop).
    const float L = FMarkerLength, W = FMarkerLength / 40;
    FMarkerMesh = HelperMesh("hardpoint direction", {0, 0, L, W, 0, 0, -W / 2, W * 0.866f, 0, -W / 2, -W * 0.866f, 0},
                             {0, 1, 2, 0, 2, 3, 0, 3, 1, 1, 3, 2}, TINYGLTF_MODE_TRIANGLES);
  }
  const std::string MarkerName = Node.name + " direction";
  FModel.nodes.push_back(std::move(Node));
  const int Index = int(FModel.nodes.size() - 1);
  const int Marker = HelperNode(MarkerName, FMarkerMesh);
  FModel.nodes[size_t(Index)].children.push_back(Marker);
  return Index;
}

int TGltfBuilder::SphereNode(const std::array<float, 4>& Sphere, const std::string& ModelName) {
  tinygltf::Node Node;
  Node.name = "COLL SPHR";
  Node.extras = tinygltf::Value(tinygltf::Value::Object{{GltfMarks::CollisionSphere, tinygltf::Value(true)}});
  if (std::isfinite(Sphere[0]) && std::isfinite(Sphere[1]) && std::isfinite(Sphere[2]) && std::isfinite(Sphere[3])) {
    Node.translation = {Sphere[0], Sphere[1], Sphere[2]};
    Node.scale = {Sphere[3], Sphere[3], Sphere[3]};
  } else {
    FWarnings << ModelName
              << ": the collision sphere holds a number that is not finite; exported without its transform\n";
  }
  FModel.nodes.push_back(std::move(Node));
  const int Index = int(FModel.nodes.size() - 1);
  // The sphere as the editor draws it, in wire: a unit sphere of 24 sides
  // and 12 rings, scaled by the node to the drawn radius.
  std::vector<float> Positions;
  std::vector<uint32_t> Lines;
  constexpr int Sides = 24, Rings = 12;
  for (int R = 0; R <= Rings; ++R)
    for (int S = 0; S < Sides; ++S) {
      const double Up = M_PI * R / Rings, Around = 2 * M_PI * S / Sides;
      Positions.insert(Positions.end(), {float(std::sin(Up) * std::cos(Around)), float(std::sin(Up) * std::sin(Around)),
                                         float(std::cos(Up))});
      const uint32_t Here = uint32_t(R * Sides + S);
      if (R > 0 && R < Rings) Lines.insert(Lines.end(), {Here, uint32_t(R * Sides + (S + 1) % Sides)});
      if (R < Rings) Lines.insert(Lines.end(), {Here, Here + Sides});
    }
  if (FSphereMesh < 0) FSphereMesh = HelperMesh("COLL SPHR wire", Positions, Lines, TINYGLTF_MODE_LINE);
  const int Wire = HelperNode("COLL SPHR wire", FSphereMesh);
  FModel.nodes[size_t(Index)].children.push_back(Wire);
  return Index;
}

tinygltf::Model TGltfBuilder::Build(const TExportedModel& Model) {
  FModel.asset.version = "2.0";
  FModel.asset.generator = "QUELBIR Editor";
  tinygltf::Node Root;
  Root.name = Latin1ToUtf8(Model.Name);
  FModel.nodes.emplace_back();  // the root comes first; filled in below
  float Extent = 0;
  for (const TExportedLevel& Level : Model.Levels)
    for (const TVector& V : Level.Vertices)
      for (float C : {V.X, V.Y, V.Z})
        if (std::isfinite(C)) Extent = std::max(Extent, std::fabs(C));
  if (Extent > 0 && Extent < 1e30f) FMarkerLength = Extent / 10;
  for (const TExportedLevel& Level : Model.Levels) Root.children.push_back(LevelNode(Level, Model.Name));
  for (const TExportedHardpoint& Entry : Model.Hardpoints) Root.children.push_back(HardpointNode(Entry));
  if (Model.Sphere) Root.children.push_back(SphereNode(*Model.Sphere, Model.Name));
  FModel.nodes[0] = std::move(Root);
  tinygltf::Scene Scene;
  Scene.nodes = {0};
  FModel.scenes.push_back(Scene);
  FModel.defaultScene = 0;
  return std::move(FModel);
}

}  // namespace

void WriteGltf(const TExportedModel& Model, const std::map<int32_t, TTextureImage>& Images, const std::string& OutFile,
               TGltfForm Form, std::ostream& Warnings, const std::string& ModelFile) {
  TGltfBuilder Builder(Images, Form, Warnings);
  tinygltf::Model Gltf = Builder.Build(Model);
  const std::filesystem::path Out(OutFile);
  const std::string BinName = Out.stem().string() + ".bin";
  if (!Builder.Data.empty()) {
    Gltf.buffers.emplace_back();
    // The Json form names its buffer file instead of holding the bytes.
    if (Form == TGltfForm::Binary) Gltf.buffers[0].data = std::move(Builder.Data);
  }

  tinygltf::TinyGLTF Writer;
  Writer.SetImageWriter(NameWrittenImage, nullptr);
  if (Form == TGltfForm::Binary) {
    // Straight to the file: the container holds the whole buffer, so no
    // copy of it in memory is made on the way.
    TOutputFiles Files({OutFile}, ModelFile);
    TOutputBuffer File(Files, OutFile);
    std::ostream Stream(&File);
    const bool Written = Writer.WriteGltfSceneToStream(&Gltf, Stream, false, true);
    File.Close();
    if (!Written || !Stream) throw EGltfExport("Export: cannot write " + OutFile);
    Files.Commit();
    return;
  }
  std::ostringstream Stream;
  if (!Writer.WriteGltfSceneToStream(&Gltf, Stream, true, false)) throw EGltfExport("Export: cannot write " + OutFile);
  std::string Text = std::move(Stream).str();
  // Every file of the export is checked before the first is written, and
  // none is put in place before all are written.
  const std::string BinFile = (Out.parent_path() / BinName).string();
  std::vector<std::string> Names{OutFile};
  if (!Builder.Data.empty()) Names.push_back(BinFile);
  for (const auto& Entry : Builder.ImageFiles) Names.push_back((Out.parent_path() / Entry.first).string());
  TOutputFiles Files(Names, ModelFile);
  if (!Builder.Data.empty()) {
    nlohmann::json Json = nlohmann::json::parse(Text);
    Json["buffers"][0] = {{"byteLength", Builder.Data.size()}, {"uri", UriOf(BinName)}};
    Text = Json.dump(2);
    Files.Write(BinFile, Builder.Data.data(), Builder.Data.size());
  }
  for (const auto& [Name, Png] : Builder.ImageFiles)
    Files.Write((Out.parent_path() / Name).string(), Png.data(), Png.size());
  Files.Write(OutFile, Text);
  Files.Commit();
}
