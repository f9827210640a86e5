// The Khronos glTF validator on our exports: no errors and no warnings. The
// validator is set up from the npm registry on first use; without Node, npm
// or the registry the test is skipped, never passed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "interchange/ModelExport.h"
#include "tests/model/ModelFixtures.h"

using namespace ModelFixtures;

TEST(GltfValidator, FindsNothingInTheSampleOrATexturedModel) {
  TempDir Dir;
  WriteSampleModel(Dir.File("sample.iff"));
  TStoredMesh Mesh = Square(1);
  Mesh.Face({{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}, {0, 0, 1}, 7);
  Mesh.Face({{0, 0, 2}, {1, 0, 2}, {1, 1, 2}}, {0, 0, 1}, 12);
  WriteLodModel(Dir.File("textured.iff"), {Mesh, Mesh}, {{"gun", {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}}},
                nullptr);
  std::filesystem::create_directory(Dir.File("mats"));
  TPalette Palette{};
  for (size_t I = 0; I < 768; ++I) Palette[I] = uint8_t(I * 7);
  WriteMatFile(Dir.File("mats/00000007.mat"), 3, 2, Palette, {1, 2, 3, 4, 5, 6});
  WriteMatFile(Dir.File("mats/00000012.mat"), 4, 4, Palette, std::vector<uint8_t>(16, 9));

  std::ostringstream Warnings;
  TExportOptions All;
  All.AllLODs = true;
  ExportModel(Dir.File("sample.iff"), Dir.File("sample.glb"), {}, Warnings);
  ExportModel(Dir.File("sample.iff"), Dir.File("sample.gltf"), All, Warnings);
  TExportOptions Textured;
  Textured.TexturesDir = Dir.File("mats");
  Textured.AllLODs = true;
  ExportModel(Dir.File("textured.iff"), Dir.File("textured.glb"), Textured, Warnings);
  ExportModel(Dir.File("textured.iff"), Dir.File("textured.gltf"), Textured, Warnings);

  std::string Command = std::string(GLTF_VALIDATE) + " '" + GLTF_TOOLS_DIR + "'";
  for (const char* Out : {"sample.glb", "sample.gltf", "textured.glb", "textured.gltf"})
    Command += " '" + Dir.File(Out) + "'";
  FILE* Pipe = ::popen((Command + " 2>&1").c_str(), "r");
  ASSERT_NE(Pipe, nullptr);
  std::string Report;
  char Buffer[4096];
  for (size_t Got; (Got = std::fread(Buffer, 1, sizeof Buffer, Pipe)) > 0;) Report.append(Buffer, Got);
  const int Status = ::pclose(Pipe);
  const int Exit = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
  std::printf("%s", Report.c_str());
  if (Exit == 77) GTEST_SKIP() << Report;
  EXPECT_EQ(Exit, 0) << Report;
}
