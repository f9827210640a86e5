#include "interchange/ObjExport.h"

#include <filesystem>
#include <set>

#include "runtime/Latin1Text.h"
#include "runtime/NumberFormat.h"
#include "runtime/OutputFiles.h"

namespace {

std::string Numbers(std::initializer_list<float> Values) {
  std::string Text;
  for (float V : Values) Text += " " + FloatToRoundTrip(V);
  return Text;
}

}  // namespace

void WriteObj(const TExportedModel& Model, const std::map<int32_t, TTextureImage>& Images, const std::string& OutFile,
              const std::string& ModelFile) {
  const std::filesystem::path Out(OutFile);
  const std::string MtlName = Out.stem().string() + ".mtl";
  // A name on a comment line: a line break or other control byte in it would
  // end the comment and start a statement, so those are written escaped.
  std::string Obj = "# " + EscapeControlBytes(Model.Name) + ", exported by QUELBIR Editor\n";
  Obj += "mtllib " + MtlName + "\n";
  for (const TExportedHardpoint& Entry : Model.Hardpoints) {
    Obj +=
        "# hardpoint " + std::to_string(Entry.Index) + " \"" + EscapeControlBytes(Entry.Hardpoint.Name) + "\" matrix";
    for (float E : Entry.Hardpoint.Matrix) Obj += Numbers({E});
    Obj += "\n";
  }
  if (Model.Sphere) {
    const auto& S = *Model.Sphere;
    Obj += "# COLL SPHR centre" + Numbers({S[0], S[1], S[2]}) + " diameter" + Numbers({S[3]}) + "\n";
  }
  // Each level's arrays follow the ones before: OBJ's indices run over the
  // whole file, from 1.
  std::set<int32_t> Textures;
  size_t VertexBase = 1, TexBase = 1, NormalBase = 1;
  for (const TExportedLevel& Level : Model.Levels) {
    Obj += "o " + Level.Name + "\n";
    for (const TVector& V : Level.Vertices) Obj += "v" + Numbers({V.X, V.Y, V.Z}) + "\n";
    for (const TFaceVertex& C : Level.FaceVertices) Obj += "vt" + Numbers({C.S, C.T}) + "\n";
    for (const TVector& N : Level.Normals) Obj += "vn" + Numbers({N.X, N.Y, N.Z}) + "\n";
    for (const TTextureGroup& Group : Level.Groups) {
      Textures.insert(Group.Texture);
      Obj += "usemtl " + TextureName(Group.Texture) + "\n";
      for (int32_t F : Group.Faces) {
        const TFace& Face = Level.Faces[size_t(F)];
        const std::string Normal = std::to_string(NormalBase + size_t(Face.Normal));
        Obj += "f";
        for (int32_t I = 0; I < Face.Count; ++I) {
          const int32_t Corner = DrawnCorner(Face, I);
          Obj += " " + std::to_string(VertexBase + size_t(Level.FaceVertices[size_t(Corner)].Vertex)) + "/" +
                 std::to_string(TexBase + size_t(Corner)) + "/" + Normal;
        }
        Obj += "\n";
      }
    }
    VertexBase += Level.Vertices.size();
    TexBase += Level.FaceVertices.size();
    NormalBase += Level.Normals.size();
  }

  std::string Mtl = "# materials of " + EscapeControlBytes(Model.Name) + "\n";
  for (int32_t Texture : Textures) {
    Mtl += "newmtl " + TextureName(Texture) + "\nKd 1 1 1\n";
    if (Images.count(Texture)) Mtl += "map_Kd " + TextureName(Texture) + ".png\n";
  }
  // Every file of the export is checked before the first is written, and
  // none is put in place before all are written.
  const std::string MtlFile = (Out.parent_path() / MtlName).string();
  std::vector<std::string> Names{OutFile, MtlFile};
  for (const auto& Entry : Images)
    if (Textures.count(Entry.first))
      Names.push_back((Out.parent_path() / (TextureName(Entry.first) + ".png")).string());
  TOutputFiles Files(Names, ModelFile);
  for (const auto& [Texture, Image] : Images) {
    if (!Textures.count(Texture)) continue;
    const std::vector<uint8_t> Png = TexturePng(Image, /*UpsideDown=*/true);
    Files.Write((Out.parent_path() / (TextureName(Texture) + ".png")).string(), Png.data(), Png.size());
  }
  Files.Write(MtlFile, Mtl);
  Files.Write(OutFile, Obj);
  Files.Commit();
}
