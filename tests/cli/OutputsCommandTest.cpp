// quelbir-cli's outputs as a user meets them: views by their short names,
// outputs that are one file, links that lead to no file yet, inputs larger
// than the program may hold, and folders a refused command leaves no trace of.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "editor/HardpointScript.h"
#include "model/SampleModel.h"
#include "tests/support/CliRun.h"
#include "tests/support/IffBytes.h"
#include "tests/support/UnderSanitizer.h"

namespace fs = std::filesystem;

namespace {

class OutputsCommandTest : public ::testing::Test {
protected:
  void SetUp() override { WriteSampleModel(File); }
  TRun Run(const std::vector<std::string>& Args, const std::string& Prefix = "", const std::string& Redirect = "") {
    return Cli(Dir, Args, Prefix, Redirect);
  }
  TempDir Dir;
  std::string File = Dir.File("ship.iff");
};

TEST_F(OutputsCommandTest, AViewIsTakenByItsShortNameInAnyCase) {
  const std::pair<const char*, const char*> Names[] = {{"Top View", "TOP"}, {"Back View", "back view"}};
  for (const auto& [Caption, Typed] : Names) {
    SCOPED_TRACE(Typed);
    TRun R = Run({"render", File, "-o", Dir.File("caption.png"), "--view", Caption, "--size", "64x48"});
    if (R.Code == 1 && R.Err.rfind("THeadlessGL: ", 0) == 0) GTEST_SKIP() << R.Err;
    ASSERT_EQ(R.Code, 0) << R.Err;
    R = Run({"render", File, "-o", Dir.File("typed.png"), "--view", Typed, "--size", "64x48"});
    ASSERT_EQ(R.Code, 0) << R.Err;
    EXPECT_EQ(ReadFileBytes(Dir.File("typed.png")), ReadFileBytes(Dir.File("caption.png")));
  }
  const std::string Help = "Run with --help for more information.\n";
  TRun R = Run({"render", File, "-o", Dir.File("r.png"), "--view", "front"});
  EXPECT_EQ(R.Err, "--view: 'front' is not a view; use top, side, back or 3-views\n" + Help);
  EXPECT_EQ(R.Code, 2);
  R = Run({"thumbnail", File, "-o", Dir.File("t.png"), "--view", "3-Views"});
  EXPECT_EQ(R.Err, "--view: '3-Views' is not a view; use top, side or back\n" + Help);
  EXPECT_EQ(R.Code, 2);
}

// Refused before anything is written, naming both; a refused sample takes
// back the folders it made.
TEST_F(OutputsCommandTest, OutputsThatAreOneFileAreRefused) {
  const std::string Sd = Dir.File("sd");
  for (const std::string& Model : {Sd + "/./00000001.mat", Sd + "/../sd/00000001.mat", Sd + "/00000001.mat"}) {
    SCOPED_TRACE(Model);
    const TRun R = Run({"sample", Model, "--textures", Sd});
    EXPECT_EQ(R.Err, Model + " and " + Sd + "/00000001.mat are the same file; give each output a name of its own\n");
    EXPECT_EQ(R.Code, 1);
    EXPECT_FALSE(fs::exists(Sd));
  }
  TRun R = Run({"sample", Dir.File("a/b/s.iff"), "--textures", Dir.File("c/d/e")});
  EXPECT_EQ(R.Code, 1);
  EXPECT_FALSE(fs::exists(Dir.File("c")));

  ASSERT_EQ(Run({"sample", File, "--textures", Dir.Path().string()}).Code, 0);
  WriteFileBytes(Dir.File("00000001.png"), Text("kept"));
  fs::create_symlink("00000001.png", Dir.File("out.gltf"));
  R = Run({"export", File, "-o", Dir.File("out.gltf"), "--textures", Dir.Path().string()});
  EXPECT_EQ(R.Err, Dir.File("out.gltf") + " and " + Dir.File("00000001.png") +
                       " are the same file; give each output a name of its own\n");
  EXPECT_EQ(R.Code, 1);
  EXPECT_EQ(ReadFileBytes(Dir.File("00000001.png")), Text("kept"));
  fs::remove(Dir.File("out.gltf"));
  fs::create_symlink("out.gltf", Dir.File("out.bin"));
  R = Run({"export", File, "-o", Dir.File("out.gltf")});
  EXPECT_EQ(R.Err, Dir.File("out.gltf") + " and " + Dir.File("out.bin") +
                       " are the same file; give each output a name of its own\n");
  EXPECT_FALSE(fs::exists(Dir.File("out.gltf")));
}

TEST_F(OutputsCommandTest, ADanglingLinkAsOutputKeepsItsLinkAndGetsItsFile) {
  fs::create_symlink("target.png", Dir.File("link.png"));
  const TRun R = Run({"render", File, "-o", Dir.File("link.png"), "--size", "16x16"});
  if (R.Code == 1 && R.Err.rfind("THeadlessGL: ", 0) == 0) GTEST_SKIP() << R.Err;
  ASSERT_EQ(R.Code, 0) << R.Err;
  EXPECT_TRUE(fs::is_symlink(Dir.File("link.png")));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Dir.File("target.png"))));
}

// A script larger than the program may hold is refused by its size, before
// it is read; one on standard input once the bound has come.
TEST_F(OutputsCommandTest, AScriptIsBoundedByWhatTheProgramMayHold) {
  const std::string Sparse = Dir.File("huge.txt");
  WriteFileBytes(Sparse, {});
  fs::resize_file(Sparse, uintmax_t(1) << 40);  // no disk used
  const std::string Bound = " is longer than a hardpoint script may be here: at most ";
  const std::string Share = " bytes, a quarter of the memory this program may use\n";
  TRun R = Run({"apply", File, "-o", Dir.File("new.iff"), "--script", Sparse});
  EXPECT_EQ(R.Err, Sparse + Bound + std::to_string(HardpointScriptLimit()) + Share);
  EXPECT_EQ(R.Code, 1);
#ifndef QUELBIR_UNDER_ASAN
  // Under a 600 MB limit, as a user meets one (the sanitizer's runtime
  // cannot start under it). Reads 150 MB from /dev/zero: a second or two.
  constexpr size_t Limit = size_t(600000) * 1024;
  R = Run({"apply", File, "-o", Dir.File("new.iff"), "--script", "-"}, "ulimit -v 600000 && ", " </dev/zero");
  EXPECT_EQ(R.Err, "standard input" + Bound + std::to_string(std::min(HardpointScriptLimit(), Limit / 4)) + Share);
  EXPECT_EQ(R.Code, 1);
#endif
  EXPECT_FALSE(fs::exists(Dir.File("new.iff")));
}

}  // namespace
