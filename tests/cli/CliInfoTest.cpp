// quelbir-cli sample and info, run as the user runs them.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "model/SampleModel.h"
#include "tests/model/ModelFixtures.h"
#include "tests/support/CliRun.h"

using namespace ModelFixtures;
using nlohmann::json;

namespace {

float AsFloat(const json& Number) { return float(Number.get<double>()); }

TEST(CliInfo, SummarisesTheSampleAsTheEditorLoadsItInJsonWithExactlyTheKeys) {
  TempDir Dir;
  const std::string File = Dir.File("sample.iff");
  ASSERT_EQ(Cli(Dir, {"sample", File}).Code, 0);
  TRun Run = Cli(Dir, {"info", File, "--json"});
  ASSERT_EQ(Run.Code, 0) << Run.Err;
  EXPECT_EQ(Run.Err, "");
  json Info = json::parse(Run.Out);
  std::vector<std::string> Keys;
  for (auto& [Key, Value] : Info.items()) Keys.push_back(Key);
  std::sort(Keys.begin(), Keys.end());
  EXPECT_EQ(Keys, (std::vector<std::string>{"bounds", "face_vertices", "faces", "file", "hardpoints", "lod", "lods",
                                            "normals", "shape", "sphere", "sphere_error", "tree_present", "vertices"}));
  EXPECT_EQ(Info["file"], File);
  EXPECT_EQ(Info["shape"], "lod");
  EXPECT_EQ(Info["lods"], json({"0000", "0001", "0002"}));
  EXPECT_EQ(Info["lod"], "0001");
  const TSampleMesh Level1 = SampleCraftMesh(1);
  EXPECT_EQ(Info["vertices"], Level1.Vertices.size());
  EXPECT_EQ(Info["normals"], Level1.Normals.size());
  EXPECT_EQ(Info["face_vertices"], Level1.FaceVertices.size());
  EXPECT_EQ(Info["faces"], Level1.Faces.size());
  EXPECT_EQ(Info["bounds"]["min"], json({-4, -0.4, -3}));
  EXPECT_EQ(Info["bounds"]["max"], json({4, 1.6, 4.5}));
  const auto Hardpoints = SampleCraftHardpoints();
  ASSERT_EQ(Info["hardpoints"].size(), Hardpoints.size());
  for (size_t H = 0; H < Hardpoints.size(); ++H) {
    EXPECT_EQ(Info["hardpoints"][H]["name"], Hardpoints[H].Name);
    ASSERT_EQ(Info["hardpoints"][H]["matrix"].size(), 16u);
    for (size_t E = 0; E < 16; ++E) EXPECT_EQ(AsFloat(Info["hardpoints"][H]["matrix"][E]), Hardpoints[H].Matrix[E]);
  }
}

TEST(CliInfo, ASingleMeshFileHasNoLevels) {
  TempDir Dir;
  const std::string File = Dir.File("single.iff");
  ASSERT_EQ(Cli(Dir, {"sample", File, "--single"}).Code, 0);
  json Info = json::parse(Cli(Dir, {"info", "--json", File, "--lod", "2"}).Out);
  EXPECT_EQ(Info["shape"], "single");
  EXPECT_EQ(Info["lods"], json::array());
  EXPECT_TRUE(Info["lod"].is_null());
  EXPECT_EQ(Info["faces"], SampleCraftMesh(0).Faces.size());
}

TEST(CliInfo, NumbersReadBackToTheStoredFloatsAndNamesAreUtf8) {
  TempDir Dir;
  const std::string File = Dir.File("odd.iff");
  TSampleHardpoint Odd{"Caf\xE9 \"q\\\"", {}};
  const float Values[16] = {0.1f,      1e-45f, 3.4028235e38f, 0, -0.0f, 1.0f / 3, 16777217.0f, 0,
                            -2.5e-38f, 0.3f,   7e10f,         0, 5,     6,        7,           1};
  for (size_t E = 0; E < 16; ++E) Odd.Matrix[E] = Values[E];
  WriteLevels(File, {SampleCraftMesh(2), SampleCraftMesh(2)}, [&](TIffWriter& W) { WriteHardForm(W, {Odd}); });
  const std::string Out = Cli(Dir, {"info", File, "--json", "--lod", "0"}).Out;
  json Info = json::parse(Out);
  EXPECT_EQ(Info["lod"], "0000");
  EXPECT_EQ(Info["hardpoints"][0]["name"], "Caf\xC3\xA9 \"q\\\"");
  for (size_t E : {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14})
    EXPECT_EQ(AsFloat(Info["hardpoints"][0]["matrix"][E]), Values[E]) << "element " << E;
  // Shortest texts; -0 keeps its sign (a JSON reader may take it for 0).
  EXPECT_NE(Out.find("[0.1, 1e-45, 3.4028235e+38, 0, -0, 0.33333334, 16777216, 0, -2.5e-38, "), std::string::npos)
      << Out;
}

TEST(CliInfo, TheTextSummaryNamesTheShapeLevelsAndHardpoints) {
  TempDir Dir;
  const std::string File = Dir.File("sample.iff");
  ASSERT_EQ(Cli(Dir, {"sample", File}).Code, 0);
  TRun Run = Cli(Dir, {"info", File, "--lod", "7"});
  ASSERT_EQ(Run.Code, 0) << Run.Err;
  EXPECT_NE(Run.Out.find("shape: level of detail\nlevels: 0000 0001 0002\nloaded level: 0002\n"), std::string::npos)
      << Run.Out;
  EXPECT_NE(Run.Out.find("\n  Cockpit: 1 0 0 0 0 "), std::string::npos) << Run.Out;
}

}  // namespace
