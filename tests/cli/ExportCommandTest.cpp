// `quelbir-cli export` and `script --from-gltf` run as a user runs them:
// the script text back from an export, byte for byte, and clear errors.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/model/ModelFixtures.h"
#include "tests/support/CliRun.h"

using namespace ModelFixtures;

namespace {

class ExportCommandTest : public ::testing::Test {
protected:
  TRun Run(const std::vector<std::string>& Args) { return Cli(Dir, Args); }
  std::string In(const std::string& Name) { return Dir.File(Name); }
  TempDir Dir;
};

TEST_F(ExportCommandTest, TheScriptComesBackByteForByteThroughEitherForm) {
  ASSERT_EQ(Run({"sample", In("sample.iff")}).Code, 0);
  const TRun Script = Run({"script", In("sample.iff")});
  for (const char* Out : {"sample.glb", "sample.gltf"}) {
    SCOPED_TRACE(Out);
    const TRun Export = Run({"export", In("sample.iff"), "-o", In(Out), "--all-lods"});
    EXPECT_EQ(Export.Code, 0);
    EXPECT_EQ(Export.Err, "");
    const TRun Back = Run({"script", "--from-gltf", In(Out)});
    EXPECT_EQ(Back.Code, 0);
    EXPECT_EQ(Back.Out, Script.Out);
  }
}

// An unknown output format is a row of CliTest.cpp.
TEST_F(ExportCommandTest, WhatCannotGiveHardpointsIsAClearError) {
  WriteFileBytes(Dir.File("text.gltf"), {'h', 'e', 'l', 'l', 'o'});
  TRun R = Run({"script", "--from-gltf", In("text.gltf")});
  EXPECT_EQ(R.Code, 1);
  EXPECT_EQ(R.Err.rfind("GltfHardpoints: " + Dir.File("text.gltf") + " is not a glTF file I can read: ", 0), 0u)
      << R.Err;

  WriteSingleMeshModel(Dir.File("bare.iff"), Square(1), {}, nullptr);
  ASSERT_EQ(Run({"export", In("bare.iff"), "-o", In("bare.gltf")}).Code, 0);
  R = Run({"script", "--from-gltf", In("bare.gltf")});
  EXPECT_EQ(R.Err, "GltfHardpoints: no hardpoint found in " + Dir.File("bare.gltf") + "\n");
  EXPECT_EQ(R.Code, 1);

  // Unmarked, found as the root's child without a mesh, placed beyond what a float holds.
  nlohmann::json G = nlohmann::json::parse(ReadFileBytes(Dir.File("bare.gltf")));
  G["nodes"].push_back({{"name", "gun"}, {"translation", {1e300, 0, 0}}});
  G["nodes"][0]["children"] = {1, 2};
  const std::string Text = G.dump();
  WriteFileBytes(Dir.File("huge.gltf"), std::vector<uint8_t>(Text.begin(), Text.end()));
  R = Run({"script", "--from-gltf", In("huge.gltf")});
  EXPECT_EQ(R.Err, "GltfHardpoints: the transform of hardpoint gun is not finite\n");
  EXPECT_EQ(R.Code, 1);
}

}  // namespace
