// Exports to glTF and OBJ, and hardpoints read back from glTF: the files
// compared field by field, the way back compared bit for bit.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "editor/HardpointScript.h"
#include "editor/ModelDocument.h"
#include "gl/PngPicture.h"
#include "interchange/DocumentExport.h"
#include "interchange/GltfHardpoints.h"
#include "interchange/ModelExport.h"
#include "model/SphereFile.h"
#include "runtime/FileLayer.h"
#include "tests/model/ModelFixtures.h"
#include "tests/support/ErrorMessage.h"

using namespace ModelFixtures;
using nlohmann::json;

namespace {

class ExportTest : public ::testing::Test {
protected:
  std::string Export(const std::string& Out, const TExportOptions& Options = {}) {
    std::ostringstream Warnings;
    ExportModel(File, Dir.File(Out), Options, Warnings);
    return Warnings.str();
  }
  json Json(const std::string& Name) { return json::parse(ReadFileBytes(Dir.File(Name))); }
  // Count floats of the ".bin" beside a ".gltf", from the accessor's view.
  template <class T>
  std::vector<T> Values(const json& Gltf, int Accessor, size_t PerElement) {
    const json& A = Gltf["accessors"][Accessor];
    const json& View = Gltf["bufferViews"][A["bufferView"].get<int>()];
    const std::vector<uint8_t> Bin = ReadFileBytes(Dir.File("out.bin"));
    std::vector<T> Result(A["count"].get<size_t>() * PerElement);
    std::memcpy(Result.data(), Bin.data() + View.value("byteOffset", 0) + A.value("byteOffset", 0),
                Result.size() * sizeof(T));
    return Result;
  }
  TempDir Dir;
  std::string File = Dir.File("model.iff");
};

const TSampleSphere Sphere{{0, 0.6f, 0.75f}, 4.9f, true};

TEST_F(ExportTest, OneQuadAndOneHardpointAsGltf) {
  TSampleHardpoint Gun{"gun1"};
  Gun.Matrix[12] = 1.5f, Gun.Matrix[13] = -2, Gun.Matrix[14] = 0.25f;
  WriteSingleMeshModel(File, Square(1), {Gun}, &Sphere);
  EXPECT_EQ(Export("out.gltf"), "");
  const json G = Json("out.gltf");

  EXPECT_EQ(G["scenes"][0]["nodes"], json::array({0}));
  EXPECT_EQ(G["nodes"][0]["name"], "model.iff");
  EXPECT_EQ(G["nodes"][0]["children"], json::array({1, 2, 4}));
  EXPECT_EQ(G["nodes"][1], json({{"name", "mesh"}, {"mesh", 0}}));
  EXPECT_EQ(G["nodes"][2], json({{"name", "gun1"},
                                 {"matrix", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1.5, -2, 0.25, 1}},
                                 {"extras", {{"hardpoint", 0}, {"name", "gun1"}}},
                                 {"children", {3}}}));
  // What viewers draw for the eye: the hardpoint's direction, the sphere in wire.
  EXPECT_EQ(G["nodes"][3], json({{"name", "gun1 direction"}, {"mesh", 1}, {"extras", {{"helper", true}}}}));
  EXPECT_EQ(G["nodes"][5], json({{"name", "COLL SPHR wire"}, {"mesh", 2}, {"extras", {{"helper", true}}}}));
  EXPECT_EQ(G["meshes"][2]["primitives"][0]["mode"], 1);  // lines
  EXPECT_EQ(G["nodes"][4], json({{"name", "COLL SPHR"},
                                 {"children", {5}},
                                 {"translation", {0, double(0.6f), 0.75}},
                                 {"scale", {double(4.9f), double(4.9f), double(4.9f)}},
                                 {"extras", {{"collision_sphere", true}}}}));

  const json& Primitive = G["meshes"][0]["primitives"][0];
  EXPECT_EQ(G["meshes"][0]["primitives"].size(), 1u);
  EXPECT_EQ(G["materials"][Primitive["material"].get<int>()],
            json({{"name", "10000000"}, {"pbrMetallicRoughness", {{"metallicFactor", 0.0}}}}));
  // Stored counter-clockwise, drawn last corner first: the fan starts there.
  const int Position = Primitive["attributes"]["POSITION"];
  EXPECT_EQ(Values<float>(G, Position, 3), (std::vector<float>{-1, 1, 0, 1, 1, 0, 1, -1, 0, -1, -1, 0}));
  EXPECT_EQ(G["accessors"][Position]["min"], json({-1, -1, 0}));
  EXPECT_EQ(G["accessors"][Position]["max"], json({1, 1, 0}));
  EXPECT_EQ(Values<float>(G, Primitive["attributes"]["NORMAL"], 3),
            (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(Values<float>(G, Primitive["attributes"]["TEXCOORD_0"], 2),
            (std::vector<float>{3, 0.3f, 2, 0.2f, 1, 0.1f, 0, 0}));
  EXPECT_EQ(Values<uint32_t>(G, Primitive["indices"], 1), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
}

TEST_F(ExportTest, OneQuadAndOneHardpointAsObj) {
  TSampleHardpoint Gun{"gun\n1"};
  Gun.Matrix[12] = 1.5f;
  WriteSingleMeshModel(File, Square(1), {Gun}, &Sphere);
  EXPECT_EQ(Export("out.obj"), "");
  const std::vector<uint8_t> Obj = ReadFileBytes(Dir.File("out.obj"));
  EXPECT_EQ(std::string(Obj.begin(), Obj.end()),
            "# model.iff, exported by QUELBIR Editor\n"
            "mtllib out.mtl\n"
            "# hardpoint 0 \"gun\\x0A1\" matrix 1 0 0 0 0 1 0 0 0 0 1 0 1.5 0 0 1\n"
            "# COLL SPHR centre 0 0.6 0.75 diameter 4.9\n"
            "o mesh\n"
            "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
            "vt 0 0\nvt 1 0.1\nvt 2 0.2\nvt 3 0.3\n"
            "vn 0 0 1\n"
            "usemtl 10000000\n"
            "f 4/4/1 3/3/1 2/2/1 1/1/1\n");
  const std::vector<uint8_t> Mtl = ReadFileBytes(Dir.File("out.mtl"));
  EXPECT_EQ(std::string(Mtl.begin(), Mtl.end()), "# materials of model.iff\nnewmtl 10000000\nKd 1 1 1\n");
}

TEST_F(ExportTest, FacesThatCannotBeDrawnAreLeftOutAndCounted) {
  TStoredMesh Mesh = Square(1);
  Mesh.Face({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
  Mesh.Faces.back().Normal = 99;                   // outside the normals
  Mesh.Face({{0, 0, 0}, {1, 0, 0}});               // a line has no surface
  Mesh.Face({{0, 0, 0}, {1, 0, 0}, {NAN, 1, 0}});  // no number a viewer can place
  WriteSingleMeshModel(File, Mesh, {}, nullptr);
  const std::string Warnings = Export("out.gltf");
  EXPECT_EQ(Warnings,
            "model.iff: level mesh: 1 face(s) refer outside the mesh arrays and were left out\n"
            "model.iff: level mesh: 1 face(s) with fewer than 3 corners were left out\n"
            "model.iff: level mesh: 1 face(s) with a number that is not finite were left out\n"
            "model.iff: no collision sphere exported: " +
                MessageOf([&] {
                  float C[3], D;
                  bool T;
                  ReadSphere(File, C, D, T, true);
                }) +
                "\n");
  const json G = Json("out.gltf");
  EXPECT_EQ(G["accessors"][G["meshes"][0]["primitives"][0]["indices"].get<int>()]["count"], 6);
}

TEST_F(ExportTest, EveryLevelIsExportedOnceHoweverManyFormsTheContainerHolds) {
  // Level 10000 is loaded by the tag "1000", which level 1000 reaches too.
  WriteLodModel(File, std::vector<TSampleMesh>(10001, Square(1)), {}, &Sphere);
  TExportOptions Options;
  Options.AllLODs = true;
  EXPECT_EQ(Export("out.obj", Options), "");
  const std::vector<uint8_t> Obj = ReadFileBytes(Dir.File("out.obj"));
  const std::string Text(Obj.begin(), Obj.end());
  size_t Levels = 0;
  for (size_t At = Text.find("\no "); At != std::string::npos; At = Text.find("\no ", At + 1)) ++Levels;
  EXPECT_EQ(Levels, 10000u);
}

TEST_F(ExportTest, TheModelFileIsNeverAnOutput) {
  File = Dir.File("model.glb");  // an odd name for a model file, but a possible one
  WriteSingleMeshModel(File, Square(1), {}, &Sphere);
  const std::vector<uint8_t> Before = ReadFileBytes(File);
  EXPECT_EQ(MessageOf([&] { Export("model.glb"); }), File + " is the model file itself; choose another name");
  EXPECT_EQ(ReadFileBytes(File), Before);
}

// A disk that fills up part way through any file of an export, or a folder
// in the way of one: every file of the previous export stays as it was, and
// no part of the new one is left behind.
TEST_F(ExportTest, AFailedExportLeavesThePreviousFilesAsTheyWere) {
  WriteLodModel(File, {SampleCraftMesh(0)}, {}, &Sphere);
  for (const char* Out : {"out.gltf", "out.glb", "out.obj"}) Export(Out);
  auto Snapshot = [&] {
    std::map<std::string, std::vector<uint8_t>> Files;
    for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path()))
      Files[Entry.path().filename().string()] = ReadFileBytes(Entry.path().string());
    return Files;
  };
  const auto Before = Snapshot();
  static long Room;
  for (const char* Out : {"out.gltf", "out.glb", "out.obj"}) {
    for (long Bytes : {0L, 100L, 4096L}) {
      SCOPED_TRACE(std::string(Out) + " on a disk with room for " + std::to_string(Bytes) + " bytes");
      struct TRestore {
        ~TRestore() { ResetFileCalls(); }
      } Restore;
      Room = Bytes;
      FileCalls().pwrite = [](int Handle, const void* Buffer, unsigned long Count, long Offset) -> long {
        if (Room <= 0) {
          errno = ENOSPC;
          return -1;
        }
        const long Put = ::pwrite(Handle, Buffer, std::min<unsigned long>(Count, (unsigned long)Room), Offset);
        Room -= Put;
        return Put;
      };
      EXPECT_NE(MessageOf([&] { Export(Out); }), "(nothing raised)");
      EXPECT_EQ(Snapshot(), Before);
    }
  }
  std::filesystem::create_directory(Dir.File("d.gltf"));
  WriteFileBytes(Dir.File("d.bin"), {'m', 'i', 'n', 'e'});
  EXPECT_EQ(MessageOf([&] { Export("d.gltf"); }), "Cannot create file " + Dir.File("d.gltf"));
  EXPECT_EQ(ReadFileBytes(Dir.File("d.bin")), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
}

TPalette GreyPalette() {
  TPalette Palette{};
  for (size_t I = 0; I < 768; ++I) Palette[I] = uint8_t(I / 3);
  return Palette;
}

TEST_F(ExportTest, AMissingTextureLeavesAPlainMaterialAndAWarning) {
  TStoredMesh Mesh;
  Mesh.Face({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {0, 0, 1}, 1);
  Mesh.Face({{0, 0, 1}, {1, 0, 1}, {1, 1, 1}}, {0, 0, 1}, 2);
  WriteSingleMeshModel(File, Mesh, {}, &Sphere);
  std::filesystem::create_directory(Dir.File("mats"));
  WriteMatFile(Dir.File("mats/00000001.mat"), 3, 2, GreyPalette(), {10, 20, 30, 40, 50, 60});
  TExportOptions Options;
  Options.TexturesDir = Dir.File("mats");
  const std::string Missing = Dir.File("mats/00000002.mat");
  EXPECT_EQ(Export("out.gltf", Options), "texture " + Missing + " left out: " + Missing + " not found!\n");

  const json G = Json("out.gltf");
  EXPECT_EQ(G["materials"][0]["name"], "00000001");
  EXPECT_EQ(G["materials"][0]["pbrMetallicRoughness"]["baseColorTexture"]["index"], 0);
  EXPECT_EQ(G["materials"][1]["name"], "00000002");
  EXPECT_FALSE(G["materials"][1]["pbrMetallicRoughness"].contains("baseColorTexture"));
  EXPECT_EQ(G["images"][0]["uri"], "00000001.png");
  // glTF's v = 0 is the picture's first row, where the file's first row goes.
  const TPngPicture Png = ReadPng(Dir.File("00000001.png"));
  EXPECT_EQ(std::vector<uint8_t>(Png.Rgba.begin(), Png.Rgba.begin() + 4), (std::vector<uint8_t>{10, 10, 10, 255}));

  // OBJ's v runs up the picture: the first row goes to the bottom.
  Export("out.obj", Options);
  const TPngPicture ObjPng = ReadPng(Dir.File("00000001.png"));
  EXPECT_EQ(std::vector<uint8_t>(ObjPng.Rgba.begin(), ObjPng.Rgba.begin() + 4),
            (std::vector<uint8_t>{40, 40, 40, 255}));
}

std::vector<TSampleHardpoint> AwkwardHardpoints() {
  TSampleHardpoint Rounding{"round\"\\"}, Tiny{"tiny \xE9"}, Mirror{"mirror"}, Zero{"zero"}, Skew{"skew"};
  Rounding.Matrix[12] = 0.0005f, Rounding.Matrix[13] = -0.0004999f, Rounding.Matrix[14] = -0.0f;
  Tiny.Matrix[12] = 1e-40f, Tiny.Matrix[13] = 3.4e38f, Tiny.Matrix[14] = 0.1f;
  Mirror.Matrix[0] = -1, Mirror.Matrix[12] = 2.0005f;
  Zero.Matrix = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  Skew.Matrix = {1, 0, 0, 0, 0.5f, 1, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1};
  return {Rounding, Tiny, Mirror, Zero, Skew};
}

TEST_F(ExportTest, HardpointsComeBackBitForBitFromBothForms) {
  WriteSampleModel(File);
  std::vector<TSampleHardpoint> Expected = SampleCraftHardpoints();
  for (const TSampleHardpoint& H : AwkwardHardpoints()) Expected.push_back(H);
  WriteLodModel(File, {SampleCraftMesh(0), SampleCraftMesh(1)}, Expected, &Sphere);
  for (const std::string Out : {"out.glb", "out.gltf"}) {
    SCOPED_TRACE(Out);
    Export(Out);
    const std::vector<THardpoint> Back = ReadGltfHardpoints(Dir.File(Out), std::cerr);
    ASSERT_EQ(Back.size(), Expected.size());
    for (size_t I = 0; I < Back.size(); ++I) {
      EXPECT_EQ(Back[I].Name, Expected[I].Name);
      EXPECT_EQ(std::memcmp(Back[I].Matrix.data(), Expected[I].Matrix.data(), 64), 0) << Expected[I].Name;
    }
  }
}

TEST_F(ExportTest, AMovedHardpointIsReadFromWhereItNowIs) {
  WriteSingleMeshModel(File, Square(1), {AwkwardHardpoints()[4]}, nullptr);
  Export("out.gltf");
  json G = Json("out.gltf");
  json& Skew = G["nodes"][2];
  // Viewers get the nearest rotation and translation; the exact numbers ride along.
  EXPECT_FALSE(Skew.contains("matrix"));
  EXPECT_EQ(Skew["translation"], json({1, 2, 3}));
  EXPECT_EQ(Skew["extras"]["matrix"], json({1, 0, 0, 0, 0.5, 1, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1}));
  // Moved by another tool, and put under a node of its own.
  Skew["translation"] = {5, 2, 3};
  G["nodes"].push_back({{"name", "rack"}, {"translation", {10, 0, 0}}, {"children", {2}}});
  G["nodes"][0]["children"] = {1, G["nodes"].size() - 1};
  const std::string Edited = G.dump();
  WriteFileBytes(Dir.File("out.gltf"), std::vector<uint8_t>(Edited.begin(), Edited.end()));
  const std::vector<THardpoint> Back = ReadGltfHardpoints(Dir.File("out.gltf"), std::cerr);
  // The marked one first; the new empty holding it is a hardpoint of its own.
  ASSERT_EQ(Back.size(), 2u);
  EXPECT_EQ(Back[1].Name, "rack");
  EXPECT_FLOAT_EQ(Back[0].Matrix[12], 15);
  EXPECT_FLOAT_EQ(Back[0].Matrix[13], 2);
  // A rotation now: unit axes, no longer the skewed ones.
  const auto& M = Back[0].Matrix;
  EXPECT_NEAR(M[8] * M[8] + M[9] * M[9] + M[10] * M[10], 1, 1e-6);
}

// Export... in the window: the file asked for among the exports, the level
// and the hardpoints shown written, what differs from the file said, and the
// hardpoints written kept; Cancel writes nothing.
TEST_F(ExportTest, TheWindowsExportWritesTheDocumentAsShown) {
  WriteSingleMeshModel(File, Square(1), {TSampleHardpoint{"gun1"}}, &Sphere);
  TModelDocument Document;
  Document.Load(File);
  THardpointMatrix Moved = Document.Hardpoints()[0].Matrix;
  Moved[12] = 3;
  Document.ChangeMatrix(Document.Hardpoints()[0].Id, Moved, "Hardpoint Edit");
  std::optional<std::string> Answer;  // Cancel
  const TUserQuestions User{nullptr, nullptr, [&](TFileKind Kind, const TSaveDialogOptions& Options) {
                              EXPECT_EQ(Kind, TFileKind::Exports);
                              EXPECT_EQ(Options.DefaultExt, ".glb");
                              return Answer;
                            }};
  const TViewOptions View;
  EXPECT_EQ(ExportAsking(Document, View, User), "");
  EXPECT_TRUE(Document.HardpointsUnsaved());
  EXPECT_EQ(DocumentExportOptions(Document, View).TexturesDir, Dir.Path().string());

  Answer = Dir.File("shown.gltf");
  EXPECT_EQ(ExportAsking(Document, View, User),
            "The hardpoints exported are the ones shown, which differ from the file's.\n");
  EXPECT_FALSE(Document.HardpointsUnsaved());
  EXPECT_EQ(ReadGltfHardpoints(*Answer, std::cerr)[0].Matrix[12], 3.0f);
}

}  // namespace
