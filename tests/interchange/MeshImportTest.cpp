// A new model file from another tool's mesh: the way back from the export
// exact to the byte per level, Blender's meshes as Blender made them, the
// refusals, and the rules of levels and texture numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "bench/model/BigModel.h"
#include "gl/PngPicture.h"
#include "interchange/GltfMeshes.h"
#include "interchange/MeshBuilder.h"
#include "model/EditorModel.h"
#include "model/ModelWriter.h"
#include "model/TZorvObject.h"
#include "model/ZorvTextures.h"
#include "tests/support/CliRun.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"
#include "tests/support/UnderSanitizer.h"

using nlohmann::json;

namespace {

using TBytes = std::vector<uint8_t>;

// Every chunk of an IFF file by its path of form types ("DETA/MESH/0000/MESH/0012/VERT"), in file order.
void Chunks(const TBytes& B, size_t At, size_t End, const std::string& Path,
            std::vector<std::pair<std::string, TBytes>>& Out) {
  while (At + 8 <= End) {
    const std::string Tag(B.begin() + long(At), B.begin() + long(At) + 4);
    const size_t Size = size_t(B[At + 4]) << 24 | size_t(B[At + 5]) << 16 | size_t(B[At + 6]) << 8 | B[At + 7];
    if (Tag == "FORM")
      Chunks(B, At + 12, At + 8 + Size, Path + std::string(B.begin() + long(At) + 8, B.begin() + long(At) + 12) + "/",
             Out);
    else
      Out.emplace_back(Path + Tag, TBytes(B.begin() + long(At) + 8, B.begin() + long(At + 8 + Size)));
    At += 8 + Size + (Size & 1);
  }
}

// The four mesh chunks of each level in order, the hardpoints and the
// sphere: what the way back must give to the byte.
std::vector<TBytes> ModelParts(const std::string& File) {
  const TBytes B = ReadFileBytes(File);
  std::vector<std::pair<std::string, TBytes>> All;
  Chunks(B, 0, B.size(), "", All);
  std::vector<TBytes> Parts;
  for (const auto& [Path, Data] : All) {
    const std::string Tag = Path.substr(Path.size() - 4);
    if (Tag == "VERT" || Tag == "VTNM" || Tag == "FVRT" || Tag == "FACE" || Tag == "HARD" || Tag == "SPHR")
      Parts.push_back(Data);
  }
  return Parts;
}

TModelMesh Grid(int Columns, int Rows, float Height, int32_t Texture) {
  TModelMesh Mesh;
  for (int Y = 0; Y < Rows; ++Y)
    for (int X = 0; X < Columns; ++X)
      Mesh.AddPolygon({{float(X), float(Y), Height * X * Y},
                       {float(X + 1), float(Y), Height * (X + 1) * Y},
                       {float(X + 1), float(Y + 1), Height * (X + 1) * (Y + 1)},
                       {float(X), float(Y + 1), Height * X * (Y + 1)}},
                      (X + Y) % 3 == 0 ? Texture : 10000000);
  return Mesh;
}

TEST(MeshImport, WhatTheExportWroteComesBackToTheByte) {
  TempDir Dir;
  ASSERT_EQ(Cli(Dir, {"sample", Dir.File("sample.iff")}).Code, 0);
  BigModel::Write(Dir.File("grid.iff"), 9, 7);  // a single mesh of quads sharing their vertices
  const TModelSphere Sphere{{1, -0.0f, 2}, 3.5f};
  WriteLodModel(Dir.File("grids.iff"), {Grid(5, 4, 0.25f, 3), Grid(3, 2, -0.5f, 12), Grid(1, 1, 0, 7)},
                {{"Gun", {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0.1f, 0.2f, 0.3f, 1}}, {"Gun", {}}}, &Sphere);
  for (const char* Model : {"sample.iff", "grid.iff", "grids.iff"})
    for (const char* Form : {".glb", ".gltf"}) {
      SCOPED_TRACE(std::string(Model) + Form);
      const std::string Mesh = Dir.File(std::string("out") + Form), New = Dir.File("new.iff");
      ASSERT_EQ(Cli(Dir, {"export", Dir.File(Model), "-o", Mesh, "--all-lods"}).Code, 0);
      const TRun Run = Cli(Dir, {"import", Mesh, "-o", New});
      ASSERT_EQ(Run.Code, 0) << Run.Err;
      std::vector<TBytes> Want = ModelParts(Dir.File(Model)), Got = ModelParts(New);
      if (std::string(Model) == "grid.iff") Want.push_back(Got.back());  // it has no sphere; the fitted one is new
      EXPECT_EQ(Got, Want);
    }
}

// What Blender made, as Blender knows it: made afresh by the blender_import
// test where Blender is installed, else the stored copies.
TEST(MeshImport, BlenderMeshesComeInAsBlenderMadeThem) {
  const char* Fresh = std::getenv("QUELBIR_BLENDER_MESHES");
  const std::string From = Fresh ? Fresh : QUELBIR_FIXTURES;
  std::ifstream Text(From + "/expected.json");
  ASSERT_TRUE(Text) << From;
  const json Expected = json::parse(Text);
  TempDir Dir;
  for (const char* Kind : {"glb", "obj"}) {
    SCOPED_TRACE(Kind);
    const std::string New = Dir.File(std::string(Kind) + ".iff");
    const TRun Run = Cli(Dir, {"import", From + "/blender-ship." + Kind, "-o", New});
    ASSERT_EQ(Run.Code, 0) << Run.Err;
    const TRun Check = Cli(Dir, {"check", New});
    EXPECT_EQ(Check.Code, 0) << Check.Out;
    // OBJ holds Blender's positions to six decimals, glTF to the float.
    const double Close = std::string(Kind) == "obj" ? 5e-7 : 0;
    const json& Levels = Expected[Kind];
    for (size_t L = 0; L < Levels.size(); ++L) {
      TZorvObject Model(TDisplayListPolicy::None);
      SetUpEditorModel(Model, New, int(L));
      EXPECT_EQ(Model.Levels().Tags.size(), Levels.size());
      EXPECT_EQ(Model.Mesh().FaceCount, Levels[L]["faces"].get<int>()) << L;
      int Quads = 0;
      for (int32_t F = 0; F < Model.Mesh().FaceCount; ++F) Quads += Model.Mesh().Faces[size_t(F)].Count == 4;
      EXPECT_EQ(Quads, Levels[L]["quads"].get<int>()) << L;
      TVector Min, Max;
      Model.GetBounds(Min, Max);
      for (int A = 0; A < 3; ++A) {
        EXPECT_NEAR((&Min.X)[A], Levels[L]["min"][A].get<double>(), Close * 4) << L << " axis " << A;
        EXPECT_NEAR((&Max.X)[A], Levels[L]["max"][A].get<double>(), Close * 4) << L << " axis " << A;
      }
      if (std::string(Kind) == "obj") {
        EXPECT_EQ(Model.HardpointCount(), 0);
        continue;
      }
      ASSERT_EQ(size_t(Model.HardpointCount()), Expected["hardpoints"].size());
      for (int32_t H = 0; H < Model.HardpointCount(); ++H) {
        const json& Want = Expected["hardpoints"][size_t(H)];
        const THardpoint& Got = *Model.GetHardpoint(H);
        EXPECT_EQ(Got.Name, Want["name"].get<std::string>());
        for (int C = 0; C < 3; ++C)
          for (int R = 0; R < 3; ++R)
            EXPECT_NEAR(Got.Matrix[size_t(4 * C + R)], Want["axes"][C][R].get<double>(), 1e-6);
        for (int R = 0; R < 3; ++R) EXPECT_NEAR(Got.Matrix[size_t(12 + R)], Want["position"][R].get<double>(), 1e-6);
      }
    }
  }
}

std::string Base64(const TBytes& Bytes) {
  static const char* Digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string Text;
  for (size_t I = 0; I < Bytes.size(); I += 3) {
    const size_t N = std::min<size_t>(3, Bytes.size() - I);
    uint32_t Bits = 0;
    for (size_t K = 0; K < 3; ++K) Bits = Bits << 8 | (K < N ? Bytes[I + K] : 0);
    for (size_t K = 0; K < 4; ++K) Text += K <= N ? Digits[(Bits >> (18 - 6 * K)) & 63] : '=';
  }
  return Text;
}

// A triangle as a ".gltf" with its buffer inside: three positions, then the indices.
std::string Triangle(std::array<float, 9> Positions, std::array<uint32_t, 3> Indices) {
  TBytes Bytes(48);
  std::memcpy(Bytes.data(), Positions.data(), 36);
  std::memcpy(Bytes.data() + 36, Indices.data(), 12);
  json Doc = {
      {"asset", {{"version", "2.0"}}},
      {"scenes", {{{"nodes", {0}}}}},
      {"nodes", {{{"name", "Tri"}, {"mesh", 0}}}},
      {"meshes", {{{"primitives", {{{"attributes", {{"POSITION", 0}}}, {"indices", 1}}}}}}},
      {"buffers", {{{"byteLength", 48}, {"uri", "data:application/octet-stream;base64," + Base64(Bytes)}}}},
      {"bufferViews", {{{"buffer", 0}, {"byteLength", 36}}, {{"buffer", 0}, {"byteOffset", 36}, {"byteLength", 12}}}},
      {"accessors",
       {{{"bufferView", 0}, {"componentType", 5126}, {"type", "VEC3"}, {"count", 3}},
        {{"bufferView", 1}, {"componentType", 5125}, {"type", "SCALAR"}, {"count", 3}}}}};
  return Doc.dump();
}

TEST(MeshImport, RefusalsNameWhatAndWhereAndWriteNothing) {
  TempDir Dir;
  const float Nan = std::nanf("");
  struct TCase {
    const char* File;
    std::string Text;
    std::string Err;
  };
  const std::string Deep = std::string(70, '[') + std::string(70, ']');
  const std::vector<TCase> Cases = {
      {"mesh.txt", "v 0 0 0\n", "Import: D/mesh.txt is not a mesh file I read: name a .glb, .gltf or .obj file"},
      {"empty.obj", "# nothing\nv 0 0 0\n", "Import: D/empty.obj holds no face"},
      {"nan.obj", "v 0 0 0\nv 1 0 nan\n", "Import: D/nan.obj line 2: a position holds \"nan\", not a finite number"},
      {"outside.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n",
       "Import: D/outside.obj line 4: a face's position index 4 lies outside the 3 given before it"},
      {"line.obj", "v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\n",
       "Import: D/line.obj line 4, face 1 (corners 1 2 3): its corners lie on a line and the file gives it no normal"},
      {"text.gltf", "hello", ""},
      {"deep.gltf", Deep, "GltfHardpoints: D/deep.gltf nests its JSON deeper than 64 levels"},
      {"outside.gltf", Triangle({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 3}),
       "Import: D/outside.gltf: mesh 0 primitive 0: index 2 is 3, outside its 3 positions"},
      {"nan.gltf", Triangle({0, 0, 0, 1, Nan, 0, 0, 1, 0}, {0, 1, 2}),
       "Import: D/nan.gltf: mesh 0 primitive 0: position 1 is not finite"},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.File);
    std::ofstream(Dir.File(Case.File)) << Case.Text;
    const TRun Run = Cli(Dir, {"import", Dir.File(Case.File), "-o", Dir.File("new.iff")});
    EXPECT_EQ(Run.Code, 1);
    std::string Err = Case.Err;
    if (const size_t At = Err.find("D/"); At != std::string::npos) Err.replace(At, 1, Dir.Path().string());
    if (!Err.empty()) {
      EXPECT_EQ(Run.Err, Err + "\n");
    }
    EXPECT_FALSE(std::filesystem::exists(Dir.File("new.iff")));
  }
  // The mesh itself is no output.
  std::ofstream(Dir.File("ok.gltf")) << Triangle({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
  EXPECT_EQ(Cli(Dir, {"import", Dir.File("ok.gltf"), "-o", Dir.File("ok.gltf")}).Err,
            Dir.File("ok.gltf") + " is the model file itself; choose another name\n");
#ifndef QUELBIR_UNDER_ASAN
  // A mesh larger than memory allows is refused before it is read: a sparse
  // file of 1 GiB under a 512 MiB limit (it would take 4 GiB), at once. (The
  // sanitizer's runtime cannot start under such a limit.)
  std::filesystem::resize_file((std::ofstream(Dir.File("big.obj")), Dir.File("big.obj")), uint64_t(1) << 30);
  const TRun Big = Cli(Dir, {"import", Dir.File("big.obj"), "-o", Dir.File("new.iff")}, "ulimit -v 524288; ");
  EXPECT_EQ(Big.Code, 1);
  EXPECT_EQ(Big.Err.rfind("Import: " + Dir.File("big.obj") + " needs about 4096 MiB to import, more than the ", 0), 0u)
      << Big.Err;
#endif
}

TEST(MeshImport, TheScenesEmptiesAreHardpointsAndItsSphereTheSphere) {
  TempDir Dir;
  json Doc = json::parse(Triangle({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}));
  // As Blender writes a scene: every object a top node, none holding the others.
  Doc["nodes"].push_back({{"name", "COLL SPHR"}, {"translation", {0.5, 0.25, 0}}, {"scale", {2, 2, 2}}});
  Doc["nodes"].push_back({{"name", "Gun"}, {"translation", {1, 2, 3}}});
  Doc["nodes"].push_back({{"name", "Gun.001"}, {"translation", {3, 2, 1}}});
  Doc["scenes"][0]["nodes"] = {0, 1, 2, 3};
  std::ofstream(Dir.File("scene.gltf")) << Doc.dump();
  const TRun Run = Cli(Dir, {"import", Dir.File("scene.gltf"), "-o", Dir.File("new.iff")});
  ASSERT_EQ(Run.Code, 0) << Run.Err;
  EXPECT_EQ(Run.Err, "");
  EXPECT_EQ(Cli(Dir, {"sphere", Dir.File("new.iff")}).Out, "0.5 0.25 0 2\n");
  TZorvObject Model(TDisplayListPolicy::None);
  SetUpEditorModel(Model, Dir.File("new.iff"), 0);
  ASSERT_EQ(Model.HardpointCount(), 2);
  EXPECT_EQ(Model.GetHardpoint(0)->Name, "Gun");
  EXPECT_EQ(Model.GetHardpoint(0)->Matrix[13], 2.0f);
  EXPECT_EQ(Model.GetHardpoint(1)->Name, "Gun.001");
  EXPECT_EQ(Model.Mesh().FaceCount, 1);
}

TEST(MeshImport, LevelsAreNamedAsGameEnginesNameThem) {
  const std::map<std::string, std::optional<int64_t>> Cases = {
      {"Ship_LOD0", 0}, {"ship.lod1", 1}, {"Ship-Lod2", 2}, {"LOD3", 3}, {"0000", 0},      {"0012", 12},
      {"Ship", {}},     {"Gun2", {}},     {"000", {}},      {"LOD", {}}, {"Ship_LOD", {}},
  };
  for (const auto& [Name, Level] : Cases) EXPECT_EQ(LevelNumberInName(Name), Level) << Name;
}

TEST(MeshImport, MaterialsKeepTheirNumberOrTakeTheNextFree) {
  struct TCase {
    std::optional<int32_t> First;
    std::string Notes;
  };
  for (const TCase& Case : std::vector<TCase>{
           {{},
            "material \"00000007\": texture 00000007\nmaterial \"Metal\": texture 00000008\nmaterial \"10000000\": "
            "texture 10000000\nmaterial \"Glass\": texture 00000009\n"},
           {6,
            "material \"00000007\": texture 00000007\nmaterial \"Metal\": texture 00000006\nmaterial \"10000000\": "
            "texture 10000000\nmaterial \"Glass\": texture 00000008\n"},
       }) {
    TImportMaterials Materials;
    for (const char* Name : {"00000007", "Metal", "10000000", "Glass", "Metal"}) Materials.Slot(Name);
    std::ostringstream Notes;
    Materials.Number(Case.First, Notes);
    EXPECT_EQ(Notes.str(), Case.Notes);
  }
}

TEST(MeshImport, SharedPositionsAndNormalsAreStoredOnceAndFacesFaceTheirFront) {
  TMeshBuilder Builder;
  auto At = [](float X, float Y, float Z) {
    TSourceCorner Corner;
    Corner.Position = {X, Y, Z};
    return Corner;
  };
  const std::vector<TSourceCorner> Quad = {At(0, 0, 0), At(1, 0, 0), At(1, 1, 0), At(0, 1, 0)};
  const std::vector<TSourceCorner> Next = {At(1, 0, 0), At(2, 0, 0), At(2, 1, 0), At(1, 1, 0)};
  const std::vector<TSourceCorner> Minus = {At(0, 0, -0.0f), At(1, 0, 0), At(0, 1, 0)};
  Builder.AddPolygon(Quad, 0, [] { return std::string(); });
  Builder.AddPolygon(Next, -1, [] { return std::string(); });
  Builder.AddPolygon(Minus, 0, [] { return std::string(); });
  const TModelMesh Mesh = Builder.Number({5});
  EXPECT_EQ(Mesh.Vertices.size(), 7u);  // -0 is not 0
  ASSERT_EQ(Mesh.Normals.size(), 1u);
  EXPECT_EQ(Mesh.Normals[0].Z, 1.0f);
  ASSERT_EQ(Mesh.Faces.size(), 3u);
  EXPECT_EQ(Mesh.Faces[1].Texture, 10000000);
  EXPECT_EQ(Mesh.Faces[2].Texture, 5);
  // Stored clockwise from the front: the last corner given first.
  EXPECT_EQ(Mesh.Vertices[size_t(Mesh.FaceVertices[0].Vertex)].Y, 1.0f);
  EXPECT_EQ(Mesh.Vertices[size_t(Mesh.FaceVertices[3].Vertex)].X, 0.0f);
}

TEST(MeshImport, MadeLevelsFollowAMeshOfOneLevel) {
  TempDir Dir;
  WriteLodModel(Dir.File("grid.iff"), {Grid(16, 16, 0.02f, 3)}, {}, nullptr);
  ASSERT_EQ(Cli(Dir, {"export", Dir.File("grid.iff"), "-o", Dir.File("grid.obj")}).Code, 0);
  const TRun Run = Cli(Dir, {"import", Dir.File("grid.obj"), "-o", Dir.File("new.iff"), "--make-levels", "3"});
  ASSERT_EQ(Run.Code, 0) << Run.Err;
  EXPECT_EQ(Run.Out.rfind("level  faces  target  error\n0000     256       -      -\n0001 ", 0), 0u) << Run.Out;
  EXPECT_EQ(std::count(Run.Out.begin(), Run.Out.end(), '\n'), 4);
  TZorvObject Model(TDisplayListPolicy::None);
  SetUpEditorModel(Model, Dir.File("new.iff"), 0);
  EXPECT_EQ(Model.Levels().Tags.size(), 3u);
  EXPECT_EQ(Cli(Dir, {"check", Dir.File("new.iff")}).Code, 0);

  const std::string Several = std::string(QUELBIR_FIXTURES) + "/blender-ship.obj";
  struct TCase {
    std::vector<std::string> Args;
    int Code;
    std::string Err;  // in what it says
  };
  for (const TCase& Case : std::vector<TCase>{
           {{"--make-levels", "3", "--levels", Dir.File("grid.obj")},
            1,
            "Import: --make-levels makes the levels from the mesh's one level; --levels gives them from files: use "
            "one or the other\n"},
           {{"--ratio", "0.5"}, 2, "--ratio requires --make-levels\n"},
           {{"--make-levels", "0"}, 2, "--make-levels: Value 0 not in range 1 to 10000\n"},
           {{"--make-levels", "2", "--ratio", "1"}, 2, "--ratio: Value 1 is not between 0 and 1\n"},
       }) {
    std::vector<std::string> Args{"import", Dir.File("grid.obj"), "-o", Dir.File("refused.iff")};
    Args.insert(Args.end(), Case.Args.begin(), Case.Args.end());
    const TRun R = Cli(Dir, Args);
    EXPECT_EQ(R.Code, Case.Code) << Case.Err;
    EXPECT_NE(R.Err.find(Case.Err), std::string::npos) << R.Err;
    EXPECT_EQ(R.Out, "");
    EXPECT_FALSE(std::filesystem::exists(Dir.File("refused.iff")));
  }
  const TRun R = Cli(Dir, {"import", Several, "-o", Dir.File("refused.iff"), "--make-levels", "2"});
  EXPECT_EQ(R.Code, 1);
  EXPECT_TRUE(R.Err.ends_with("Import: --make-levels makes levels from a mesh of one level; " + Several + " has 3\n"))
      << R.Err;
  EXPECT_FALSE(std::filesystem::exists(Dir.File("refused.iff")));
}

// A 4 x 4 picture of three colours, its top row unlike its bottom one.
const std::vector<uint8_t> PictureRgb = {
    255, 0, 0,   255, 0, 0,   255, 0, 0,   255, 0, 0,    // red
    0,   0, 255, 0,   0, 255, 0,   0, 255, 0,   0, 255,  // blue
    0,   0, 255, 0,   0, 255, 0,   0, 255, 0,   0, 255,  // blue
    9,   9, 9,   9,   9, 9,   0,   0, 255, 0,   0, 255,  // grey, blue
};

std::vector<uint8_t> UpsideDown(const std::vector<uint8_t>& Rgb, size_t Row) {
  std::vector<uint8_t> Flipped;
  for (size_t At = Rgb.size(); At >= Row; At -= Row)
    Flipped.insert(Flipped.end(), Rgb.begin() + long(At - Row), Rgb.begin() + long(At));
  return Flipped;
}

// The triangle with one material per image (its "uri"), and a last one without picture.
std::string PicturedTriangle(const std::vector<std::string>& Uris) {
  json Doc = json::parse(Triangle({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}));
  const json Primitive = Doc["meshes"][0]["primitives"][0];
  Doc["meshes"][0]["primitives"] = json::array();
  for (size_t I = 0; I <= Uris.size(); ++I) {
    json P = Primitive;
    P["material"] = I;
    Doc["meshes"][0]["primitives"].push_back(P);
    if (I == Uris.size()) {
      Doc["materials"].push_back({{"name", "Glass"}});
      break;
    }
    Doc["materials"].push_back(
        {{"name", "Paint " + std::to_string(I)}, {"pbrMetallicRoughness", {{"baseColorTexture", {{"index", I}}}}}});
    Doc["textures"].push_back({{"source", I}});
    Doc["images"].push_back({{"uri", Uris[I]}});
  }
  return Doc.dump();
}

TEST(MeshImport, MaterialPicturesBecomeTexturesTheExportReadsBack) {
  TempDir Dir;
  const TBytes Png = EncodePng(4, 4, 3, PictureRgb);
  std::filesystem::create_directory(Dir.File("tex"));
  WriteFileBytes(Dir.File("tex/pic.png"), Png);
  std::ofstream(Dir.File("ship.gltf")) << PicturedTriangle({"data:image/png;base64," + Base64(Png), "tex/pic.png"});
  std::ofstream(Dir.File("ship.obj")) << "mtllib ship.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl Paint\nf 1 2 3\n";
  std::ofstream(Dir.File("ship.mtl")) << "newmtl Paint\nKd 1 1 1\nmap_Kd -s 1 1 1 tex/pic.png\n";
  auto Pixels = [](const std::string& Mat) { return TZorvTexture().ReadFromFile(Mat, 0); };

  const std::string Out = Dir.File("out"), D = Dir.Path().string();
  TRun Run = Cli(Dir, {"import", Dir.File("ship.gltf"), "-o", Dir.File("new.iff"), "--textures-out", Out});
  ASSERT_EQ(Run.Code, 0) << Run.Err;
  EXPECT_EQ(Run.Err,
            "material \"Paint 0\": texture 00000001\nmaterial \"Paint 1\": texture 00000002\n"
            "material \"Glass\": texture 00000003\n"
            "material \"Glass\" has no base colour picture: no texture 00000003 is made\n"
            "the collision sphere is the smallest enclosing every level, as Fit Sphere to Model makes it\n" +
                D + "/ship.gltf image 0 as " + Out + "/00000001.mat: 3 colours, converted exactly\n" + D +
                "/tex/pic.png as " + Out + "/00000002.mat: 3 colours, converted exactly\n");
  EXPECT_EQ(Pixels(Out + "/00000001.mat"), PictureRgb);
  EXPECT_EQ(Pixels(Out + "/00000002.mat"), PictureRgb);
  EXPECT_FALSE(std::filesystem::exists(Out + "/00000003.mat"));
  // The export takes them back as the pictures they were.
  Run = Cli(Dir, {"export", Dir.File("new.iff"), "-o", Dir.File("back.gltf"), "--textures", Out});
  ASSERT_EQ(Run.Code, 0) << Run.Err;
  const TPngPicture Back = ReadPng(Dir.File("00000002.png"));
  std::vector<uint8_t> BackRgb;
  for (size_t I = 0; I < Back.Rgba.size(); ++I)
    if (I % 4 != 3) BackRgb.push_back(Back.Rgba[I]);
  EXPECT_EQ(BackRgb, PictureRgb);

  // OBJ counts its rows from the picture's bottom: the texture is the picture upside down.
  Run = Cli(Dir, {"import", Dir.File("ship.obj"), "-o", Dir.File("obj.iff"), "--textures-out", Dir.File("objtex")});
  ASSERT_EQ(Run.Code, 0) << Run.Err;
  EXPECT_EQ(Pixels(Dir.File("objtex/00000001.mat")), UpsideDown(PictureRgb, 12));
}

TEST(MeshImport, APictureThatCannotBeTakenWritesNothing) {
  TempDir Dir;
  WriteFileBytes(Dir.File("00000001.mat"), EncodePng(4, 4, 3, PictureRgb));
  struct TCase {
    const char* File;
    std::string Mesh;
    std::string Mtl;  // written as the OBJ's "m.mtl"
    std::string Err;
  };
  const std::string Obj = "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl Paint\nf 1 2 3\n";
  const std::vector<TCase> Cases = {
      {"up.gltf", PicturedTriangle({"../pic.png"}), "",
       "Import: D/up.gltf: image 0 names \"../pic.png\", which is no file in the mesh's folder or below it"},
      {"abs.gltf", PicturedTriangle({"/etc/passwd"}), "",
       "Import: D/abs.gltf: image 0 names \"/etc/passwd\", which is no file in the mesh's folder or below it"},
      {"text.gltf", PicturedTriangle({"data:image/png;base64," + Base64({'h', 'i'})}), "",
       "D/text.gltf image 0 is not a PNG or JPEG picture"},
      {"missing.obj", Obj, "newmtl Paint\nmap_Kd none.png\n", "D/none.png not found!"},
      {"up.obj", Obj, "newmtl Paint\nmap_Kd ..\\pic.png\n",
       "Import: D/m.mtl line 2: map_Kd names \"..\\pic.png\", which is no file in its folder or below it"},
      {"nomtl.obj", "mtllib none.mtl\n" + Obj.substr(13), "",
       "Import: D/nomtl.obj line 1: its material library D/none.mtl is not there"},
      // The texture would overwrite the very picture it is made from.
      {"same.obj", Obj, "newmtl Paint\nmap_Kd 00000001.mat\n",
       "D/00000001.mat is a file this command reads; choose another name"},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.File);
    std::ofstream(Dir.File(Case.File)) << Case.Mesh;
    std::ofstream(Dir.File("m.mtl")) << Case.Mtl;
    const bool Same = std::string(Case.File) == "same.obj";
    const TRun Run = Cli(Dir, {"import", Dir.File(Case.File), "-o", Dir.File("new.iff"), "--textures-out",
                               Same ? Dir.Path().string() : Dir.File("out")});
    EXPECT_EQ(Run.Code, 1);
    std::string Err = Case.Err;
    for (size_t At = 0; (At = Err.find("D/", At)) != std::string::npos; At += Dir.Path().string().size())
      Err.replace(At, 1, Dir.Path().string());
    EXPECT_TRUE(Run.Err.ends_with(Err + "\n")) << Run.Err;
    EXPECT_FALSE(std::filesystem::exists(Dir.File("new.iff")));
    EXPECT_FALSE(std::filesystem::exists(Dir.File("out")));
  }
  EXPECT_EQ(ReadFileBytes(Dir.File("00000001.mat")), EncodePng(4, 4, 3, PictureRgb));
}

}  // namespace
