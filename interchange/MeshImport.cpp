#include "interchange/MeshImport.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <new>

#include "editor/SphereFit.h"
#include "interchange/ExportedTextures.h"
#include "interchange/GltfHardpoints.h"
#include "interchange/GltfMeshes.h"
#include "interchange/GltfSphere.h"
#include "interchange/ObjMeshes.h"
#include "model/HardpointName.h"
#include "runtime/Latin1Text.h"
#include "runtime/OutputFiles.h"
#include "textures/MatConversion.h"
#include "textures/PictureFiles.h"

namespace {

enum class TMeshKind { Gltf, Obj };

std::optional<TMeshKind> KindByName(const std::string& FileName) {
  std::string Extension = std::filesystem::path(FileName).extension().string();
  std::transform(Extension.begin(), Extension.end(), Extension.begin(),
                 [](unsigned char C) { return char(std::tolower(C)); });
  if (Extension == ".glb" || Extension == ".gltf") return TMeshKind::Gltf;
  if (Extension == ".obj") return TMeshKind::Obj;
  return std::nullopt;
}

TMeshKind KindOf(const std::string& FileName) {
  if (const std::optional<TMeshKind> Kind = KindByName(FileName)) return *Kind;
  throw EMeshImport("Import: " + FileName + " is not a mesh file I read: name a .glb, .gltf or .obj file");
}

// The hardpoints of the glTF scene as `script --from-gltf` finds them, a
// name another holds given a fresh one as Duplicate Hardpoint names copies.
std::vector<THardpoint> SceneHardpoints(const TGltfScene& Scene, const std::string& FileName, std::ostream& Notes) {
  std::vector<TGltfHardpoint> Found = FindGltfHardpoints(Scene.Document, Scene.Root, FileName);
  // A node without a mesh that names a level groups the level's meshes.
  std::erase_if(Found, [](const TGltfHardpoint& H) { return !H.Mark && LevelNumberInName(H.NodeName); });
  NameCopiesAfresh(Found, Notes);
  std::vector<THardpoint> Result;
  for (TGltfHardpoint& H : Found) {
    const std::string Shown = EscapeControlBytes(H.NodeName);
    if (!H.Finite)
      throw EMeshImport("Import: " + FileName + ": the transform of hardpoint " + Shown + " is not finite");
    if (H.Scaled)
      Notes << Shown << ": its transform carried a scale or shear; the hardpoint keeps unit, perpendicular axes\n";
    const std::string& Name = H.Hardpoint.Name;
    THardpoint Hardpoint;
    Hardpoint.Name = Name;
    Hardpoint.Matrix = H.Hardpoint.Matrix;
    Result.push_back(std::move(Hardpoint));
  }
  return Result;
}

bool HoldsSphere(const TGltfScene& Scene) {
  bool Found = false;
  WalkUnderRoot(Scene.Document, Scene.Root, [&](const TGltfNode& Node, const TMatrix4&) {
    Found = Found || IsGltfSphereNode(Node);
    return !Found;
  });
  return Found;
}

}  // namespace

bool IsMeshFileName(const std::string& FileName) { return KindByName(FileName).has_value(); }

TSphereValues FittedSphere(const std::vector<TModelMesh>& Levels) {
  std::vector<TPoint3> Points;
  for (const TModelMesh& Level : Levels) {
    std::vector<bool> Used(Level.Vertices.size(), false);
    for (const TFaceVertex& Corner : Level.FaceVertices)
      if (size_t(Corner.Vertex) < Used.size() && !Used[size_t(Corner.Vertex)]) {
        Used[size_t(Corner.Vertex)] = true;
        const TVector& P = Level.Vertices[size_t(Corner.Vertex)];
        Points.push_back({P.X, P.Y, P.Z});
      }
  }
  const TFittedSphere Sphere = RoundSphereOutward(SmallestEnclosingSphere(Points), Points);
  return {Sphere.Center[0], Sphere.Center[1], Sphere.Center[2], Sphere.Radius};
}

namespace {
TImportedModel ReadMeshes(const std::string& MeshFile, const TImportOptions& Options, std::ostream& Notes);
}  // namespace

TImportedModel ImportMesh(const std::string& MeshFile, const TImportOptions& Options, std::ostream& Notes) {
  // The memory is checked before reading against what a mesh of the file's
  // size takes; a forged file that needs far more still ends in a message.
  try {
    return ReadMeshes(MeshFile, Options, Notes);
  } catch (const std::bad_alloc&) {
    throw EMeshImport("Import: not enough memory to import " + MeshFile + "; nothing was written");
  }
}

namespace {

TImportedModel ReadMeshes(const std::string& MeshFile, const TImportOptions& Options, std::ostream& Notes) {
  TImportMaterials Materials;
  Materials.WantsPictures = !Options.TexturesOut.empty();
  TLevelBuilders Levels;
  TImportedModel Model;
  std::optional<TSphereValues> Sphere;
  if (KindOf(MeshFile) == TMeshKind::Gltf) {
    const TGltfScene Scene = ReadGltfMeshes(MeshFile, std::nullopt, Materials, Levels, Notes);
    Model.Hardpoints = SceneHardpoints(Scene, MeshFile, Notes);
    if (HoldsSphere(Scene)) Sphere = GltfSphereUnder(Scene.Document, Scene.Root, MeshFile, Notes);
  } else {
    ReadObjMeshes(MeshFile, std::nullopt, Materials, Levels, Notes);
  }
  for (auto& [Number, Level] : Levels)
    if (Level.Empty())
      throw EMeshImport("Import: " + MeshFile + ": level " + std::to_string(Number) + " holds no face");
  if (Levels.empty()) throw EMeshImport("Import: " + MeshFile + " holds no face");
  for (const std::string& File : Options.LevelFiles) {
    const int64_t Next = Levels.rbegin()->first + 1;
    if (KindOf(File) == TMeshKind::Gltf)
      ReadGltfMeshes(File, Next, Materials, Levels, Notes);
    else
      ReadObjMeshes(File, Next, Materials, Levels, Notes);
    if (!Levels.count(Next) || Levels.at(Next).Empty()) throw EMeshImport("Import: " + File + " holds no face");
  }
  if (Levels.size() > 10000)
    throw EMeshImport("Import: " + MeshFile + " gives " + std::to_string(Levels.size()) +
                      " levels, more than the 10000 a model file's level names count");
  const std::vector<int32_t> Numbers = Materials.Number(Options.FirstTexture, Notes);
  for (auto& Entry : Levels) Model.Levels.push_back(Entry.second.Number(Numbers));
  Levels.clear();
  Model.TexturesOut = Options.TexturesOut;
  Model.Inputs = Materials.Libraries;
  if (Materials.WantsPictures)
    for (size_t Slot = 0; Slot < Numbers.size(); ++Slot) {
      const TMaterialPicture* Picture = Materials.Picture(int32_t(Slot));
      if (!NamesTexture(Numbers[Slot])) continue;
      if (Picture)
        Model.Pictures.push_back({Numbers[Slot], *Picture});
      else
        Notes << "material \"" << EscapeControlBytes(Materials.Names()[Slot])
              << "\" has no base colour picture: no texture " << TextureName(Numbers[Slot]) << " is made\n";
    }
  if (Sphere) {
    Model.Sphere = *Sphere;
  } else {
    Model.Sphere = FittedSphere(Model.Levels);
    Notes << "the collision sphere is the smallest enclosing every level, as Fit Sphere to Model makes it\n";
  }
  return Model;
}

}  // namespace

void WriteImportedModel(const TImportedModel& Model, const std::string& Output, const std::vector<std::string>& Sources,
                        std::ostream& Notes) {
  for (const std::string& Source : Sources) CheckNotModelFile(Output, Source);
  // Every size field of the file is 32 bits: counted before anything is
  // made, so that none can wrap.
  int64_t Bytes = 64;
  for (const TModelMesh& Level : Model.Levels)
    Bytes += 80 + int64_t(Level.Vertices.size() + Level.Normals.size()) * 12 + int64_t(Level.FaceVertices.size()) * 16 +
             int64_t(Level.Faces.size()) * 28;
  for (const THardpoint& Hardpoint : Model.Hardpoints) Bytes += 60 + int64_t(Hardpoint.Name.size());
  if (Bytes > std::numeric_limits<int32_t>::max())
    throw EMeshImport("Import: the new model would pass the 2 GiB a model file can hold");
  TModelSphere Sphere;
  Sphere.Center = {Model.Sphere[0], Model.Sphere[1], Model.Sphere[2]};
  Sphere.Value = Model.Sphere[3];
  std::vector<std::string> Outputs{Output}, Inputs = Model.Inputs;
  for (const TTexturePicture& Picture : Model.Pictures) {
    Outputs.push_back(TextureFileName(TexturePath(Model.TexturesOut), Picture.Number));
    if (!Picture.Picture.File.empty()) Inputs.push_back(Picture.Picture.File);
  }
  // Every output checked before the first byte: the folder made for the
  // textures goes again unless they are all put in place.
  std::optional<TNewFolders> Folder;
  if (!Model.Pictures.empty()) Folder.emplace(Model.TexturesOut);
  TOutputFiles Files(Outputs, Sources.empty() ? std::string() : Sources.front());
  for (const std::string& Written : Outputs) {
    for (const std::string& Source : Sources) CheckNotModelFile(Written, Source);
    for (const std::string& Input : Inputs) CheckNotInputFile(Written, Input);
  }
  {
    const std::vector<uint8_t> File = LodModelBytes(Model.Levels, Model.Hardpoints, &Sphere);
    Files.Write(Output, File.data(), File.size());
  }
  // One picture in memory at a time, its texture written before the next is read.
  std::string Said;
  for (size_t I = 0; I < Model.Pictures.size(); ++I) {
    const TMaterialPicture& Source = Model.Pictures[I].Picture;
    TRgbPicture Picture = Source.File.empty() ? ReadPictureBytes(Source.Name, Source.Bytes) : ReadPicture(Source.File);
    if (Source.UpsideDown) {
      const size_t Row = size_t(Picture.Width) * 3;
      for (size_t Top = 0, Bottom = size_t(Picture.Height) - 1; Top < Bottom; ++Top, --Bottom)
        std::swap_ranges(Picture.Rgb.begin() + ptrdiff_t(Top * Row), Picture.Rgb.begin() + ptrdiff_t((Top + 1) * Row),
                         Picture.Rgb.begin() + ptrdiff_t(Bottom * Row));
    }
    const TMatPicture Texture = MatPictureOf(Picture);
    const std::vector<uint8_t> Bytes = MatFileOf(Texture);
    Files.Write(Outputs[I + 1], Bytes.data(), Bytes.size());
    Said += ConversionNotes(Source.Name + " as " + Outputs[I + 1], Picture, Texture);
  }
  Files.Commit();
  if (Folder) Folder->Keep();
  Notes << Said;
}
