#include "fuzz/FuzzSeeds.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "interchange/ModelExport.h"
#include "model/SampleModel.h"

namespace {

using TBytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

void Put(const fs::path& File, const TBytes& Bytes) {
  std::ofstream Out(File, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
}

void PutText(const fs::path& File, const std::string& Text) { Put(File, TBytes(Text.begin(), Text.end())); }

TBytes Raw(const std::string& S) { return TBytes(S.begin(), S.end()); }

TBytes BigEndian(uint32_t V) { return {uint8_t(V >> 24), uint8_t(V >> 16), uint8_t(V >> 8), uint8_t(V)}; }

TBytes operator+(TBytes A, const TBytes& B) {
  A.insert(A.end(), B.begin(), B.end());
  return A;
}

TBytes Chunk(const std::string& Tag, const TBytes& Data) {
  TBytes Bytes = Raw(Tag) + BigEndian(uint32_t(Data.size())) + Data;
  if (Data.size() % 2) Bytes.push_back(0);
  return Bytes;
}

TBytes Form(const std::string& Type, const TBytes& Children = {}) {
  return Raw("FORM") + BigEndian(uint32_t(4 + Children.size())) + Raw(Type) + Children;
}

TSampleMesh Triangle() {
  TSampleMesh Mesh;
  Mesh.AddPolygon({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, 7);
  return Mesh;
}

TPalette GreyPalette() {
  TPalette Palette{};
  for (size_t I = 0; I < 256; ++I) Palette[I * 3] = Palette[I * 3 + 1] = Palette[I * 3 + 2] = uint8_t(I);
  return Palette;
}

void WriteModels(const fs::path& Dir) {
  WriteSampleModel((Dir / "craft-lod.iff").string());
  WriteSampleSingleMeshModel((Dir / "craft-single.iff").string());
  TSampleSphere Sphere{{0.5f, 0.5f, 0}, 1, true};
  const std::vector<TSampleHardpoint> Hardpoints{{"gun", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1}}};
  WriteLodModel((Dir / "triangle-lod.iff").string(), {Triangle(), Triangle()}, Hardpoints, &Sphere);
  WriteLodModel((Dir / "triangle-bare.iff").string(), {Triangle()}, {}, nullptr);
  WriteSingleMeshModel((Dir / "triangle-single.iff").string(), Triangle(), Hardpoints, &Sphere);
}

void WriteMaterials(const fs::path& Dir) {
  WriteMatFile((Dir / "00000001.mat").string(), 2, 2, GreyPalette(), {0, 85, 170, 255});
  WriteMatFile((Dir / "00000002.mat").string(), 3, 1, GreyPalette(), {1, 2, 3});
  WriteMatFile((Dir / "00000003.mat").string(), 4, 4, GreyPalette(), TBytes(16, 9));
}

void WriteEdgeFiles(const fs::path& Dir) {
  Put(Dir / "empty", {});
  Put(Dir / "form-tag-only", Raw("FORM"));
  Put(Dir / "form-no-type", Raw("FORM") + BigEndian(4));
  Put(Dir / "form-empty", Form("TEST"));
  Put(Dir / "chunk-only", Chunk("ONLY", Raw("abcde")));
  Put(Dir / "odd-chunk", Form("TEST", Chunk("ODD_", TBytes(13, 0x41)) + Chunk("NEXT", {})));
  Put(Dir / "zero-tag-end", Form("TEST", Chunk("DATA", Raw("xy"))) + TBytes{0, 1, 2, 3, 4, 5, 6, 7, 8});
  Put(Dir / "huge-size", Form("TEST", Raw("BIG!") + BigEndian(0x7FFFFFFF)));
  Put(Dir / "sphere", Form("DETA", Form("COLL", Chunk("SPHR", TBytes(16, 0)) + Form("EXTN"))));
  Put(Dir / "hard-no-name", Form("DETA", Form("MESH") + Form("HARD", Chunk("HARD", TBytes(52, 0x3F)))));
  TBytes Nested = Chunk("LEAF", Raw("leaf"));
  for (int I = 0; I < 12; ++I) Nested = Form("NEST", Nested);
  Put(Dir / "nested", Nested);
}

void WriteNumbers(const fs::path& Dir) {
  const char* Texts[] = {"0.000", "-2.250", " 1.5 ", "+3e2", "1E-45", "3.4028235e+38", "-0", "12.", ".5", "1e"};
  int N = 0;
  for (const char* Text : Texts) PutText(Dir / ("text-" + std::to_string(N++)), Text);
  const float Values[] = {1.5f, -0.0f, 0.12345f, 3.4028235e38f, 1e-45f};
  for (float V : Values) {
    TBytes Bytes(4);
    std::memcpy(Bytes.data(), &V, 4);
    Put(Dir / ("bits-" + std::to_string(N++)), Bytes);
  }
}

// The fixtures as the export writes them, in both forms (the ".gltf"
// without the files beside it: the reader never opens them), and documents
// as other tools leave them.
void WriteGltfFiles(const fs::path& Dir) {
  const fs::path Scratch = Dir / "scratch";
  fs::create_directories(Scratch);
  WriteModels(Scratch);
  for (const auto& Entry : fs::directory_iterator(Scratch)) {
    if (Entry.path().extension() != ".iff") continue;
    for (const char* Form : {".glb", ".gltf"}) {
      const fs::path Out = Scratch / (Entry.path().stem().string() + Form);
      std::ostringstream Warnings;
      TExportOptions Options;
      Options.AllLODs = true;
      ExportModel(Entry.path().string(), Out.string(), Options, Warnings);
      fs::copy_file(Out, Dir / Out.filename(), fs::copy_options::overwrite_existing);
    }
  }
  fs::remove_all(Scratch);
  PutText(Dir / "two-tops.gltf",
          R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,3]}],"nodes":[)"
          R"({"name":"ship.iff","children":[1,2]},{"name":"gun.001","translation":[1,2,3],"scale":[2,2,2]},)"
          R"({"name":"COLL SPHR","children":[4],"extras":{"collision_sphere":true}},{"name":"Cube","mesh":0},)"
          R"({"name":"marker","extras":{"helper":true}}]})");
  PutText(Dir / "loop.gltf", R"({"asset":{"version":"2.0"},"nodes":[{"children":[1]},{"children":[0,1],"matrix":)"
                             R"([1,0,0,0,0,1,0,0,0,0,1,0,1e300,0,0,1],"extras":{"hardpoint":1,"name":"nose"}}]})");
  PutText(Dir / "nested.gltf", R"({"asset":{"version":"2.0"},"nodes":[{"extras":[[[[[[[[{"a":"["]"}]]]]]]]]}]})");
}

}  // namespace

void WriteSeeds(const std::string& Folder) {
  const fs::path Root = Folder;
  for (const char* Harness : FuzzHarnesses) fs::create_directories(Root / Harness);
  WriteModels(Root / "model_load");
  WriteModels(Root / "iff_reader");
  WriteMaterials(Root / "mat_texture");
  WriteMaterials(Root / "iff_reader");
  WriteEdgeFiles(Root / "iff_reader");
  WriteEdgeFiles(Root / "model_load");
  WriteNumbers(Root / "number_parser");
  WriteModels(Root / "sphere_save");
  WriteEdgeFiles(Root / "sphere_save");
  WriteModels(Root / "model_check");
  WriteEdgeFiles(Root / "model_check");
  WriteGltfFiles(Root / "gltf_reader");
  WriteGltfFiles(Root / "mesh_import");
  PutText(Root / "mesh_import" / "quads.obj",
          "o Ship_LOD0\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 1\nvn 0 0 1\nusemtl Hull\n"
          "f 1/1/1 2/2/1 3/1/1 4/2/1\nf -1 -2 -3\no Ship_LOD1\nl 1 2\nf 1//1 2//1 3//1\n");
}
