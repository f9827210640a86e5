// `quelbir-cli export` and `script --from-gltf` run as a user runs them:
// the script text back from an export, byte for byte, and clear errors.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include <nlohmann/json.hpp>

#include "tests/model/ModelFixtures.h"

using namespace ModelFixtures;

namespace {

struct TRun {
  int Exit = -1;
  std::string Out, Err;
};

class ExportCommandTest : public ::testing::Test {
protected:
  TRun Run(const std::string& Args) {
    const std::string Command =
        std::string("'") + QUELBIR_CLI + "' " + Args + " 2>'" + Dir.File("stderr.txt") + "'";
    TRun R;
    FILE* Pipe = ::popen(Command.c_str(), "r");
    char Buffer[4096];
    for (size_t Got; (Got = std::fread(Buffer, 1, sizeof Buffer, Pipe)) > 0;) R.Out.append(Buffer, Got);
    const int Status = ::pclose(Pipe);
    R.Exit = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    const std::vector<uint8_t> Err = ReadFileBytes(Dir.File("stderr.txt"));
    R.Err.assign(Err.begin(), Err.end());
    return R;
  }
  std::string In(const std::string& Name) { return "'" + Dir.File(Name) + "'"; }
  TempDir Dir;
};

TEST_F(ExportCommandTest, TheScriptComesBackByteForByteThroughEitherForm) {
  ASSERT_EQ(Run("sample " + In("sample.iff")).Exit, 0);
  const TRun Script = Run("script " + In("sample.iff"));
  for (const char* Out : {"sample.glb", "sample.gltf"}) {
    SCOPED_TRACE(Out);
    const TRun Export = Run("export " + In("sample.iff") + " -o " + In(Out) + " --all-lods");
    EXPECT_EQ(Export.Exit, 0);
    EXPECT_EQ(Export.Err, "");
    const TRun Back = Run("script --from-gltf " + In(Out));
    EXPECT_EQ(Back.Exit, 0);
    EXPECT_EQ(Back.Out, Script.Out);
  }
}

TEST_F(ExportCommandTest, WhatCannotGiveHardpointsIsAClearError) {
  WriteFileBytes(Dir.File("text.gltf"), {'h', 'e', 'l', 'l', 'o'});
  TRun R = Run("script --from-gltf " + In("text.gltf"));
  EXPECT_EQ(R.Exit, 1);
  EXPECT_EQ(R.Err.rfind("GltfHardpoints: " + Dir.File("text.gltf") + " is not a glTF file I can read: ", 0), 0u)
      << R.Err;

  WriteSingleMeshModel(Dir.File("bare.iff"), Square(1), {}, nullptr);
  ASSERT_EQ(Run("export " + In("bare.iff") + " -o " + In("bare.gltf")).Exit, 0);
  R = Run("script --from-gltf " + In("bare.gltf"));
  EXPECT_EQ(R.Err, "GltfHardpoints: no hardpoint found in " + Dir.File("bare.gltf") + "\n");
  EXPECT_EQ(R.Exit, 1);

  // Unmarked, found as the root's child without a mesh, placed beyond what a float holds.
  nlohmann::json G = nlohmann::json::parse(ReadFileBytes(Dir.File("bare.gltf")));
  G["nodes"].push_back({{"name", "gun"}, {"translation", {1e300, 0, 0}}});
  G["nodes"][0]["children"] = {1, 2};
  const std::string Text = G.dump();
  WriteFileBytes(Dir.File("huge.gltf"), std::vector<uint8_t>(Text.begin(), Text.end()));
  R = Run("script --from-gltf " + In("huge.gltf"));
  EXPECT_EQ(R.Err, "GltfHardpoints: the transform of hardpoint gun is not finite\n");
  EXPECT_EQ(R.Exit, 1);

  R = Run("export " + In("bare.iff") + " -o " + In("bare.iff.fbx"));
  EXPECT_EQ(R.Err, "Export: the format of " + Dir.File("bare.iff.fbx") + " is not known; use .glb, .gltf or .obj\n");
  EXPECT_EQ(R.Exit, 1);
}

}  // namespace
