// `quelbir-cli levels` and `texture` run as a user runs them: the table on
// standard output, the notes on standard error, and refusals that write
// nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/CliRun.h"

namespace {

class LevelsTextureCommandTest : public ::testing::Test {
protected:
  TRun Run(const std::vector<std::string>& Args) { return Cli(Dir, Args); }
  std::string In(const std::string& Name) { return Dir.File(Name); }
  TempDir Dir;
};

TEST_F(LevelsTextureCommandTest, LevelsPrintsTheTableOnceTheFileIsWritten) {
  ASSERT_EQ(Run({"sample", In("s.iff")}).Code, 0);
  const TRun R = Run({"levels", In("s.iff"), "-o", In("n.iff"), "--make", "3", "--ratio", "0.5"});
  EXPECT_EQ(R.Code, 0);
  EXPECT_EQ(R.Err, "");
  // The sample's boxes cannot lose a face without passing the error limit.
  EXPECT_EQ(R.Out,
            "level  faces  target  error\n"
            "0000      58       -      -\n"
            "0001      58      29  0.00%  stopped short: the borders, texture seams and silhouette keep more faces\n"
            "0002      58      29  0.00%  stopped short: the borders, texture seams and silhouette keep more faces\n");
  EXPECT_EQ(Run({"check", In("n.iff")}).Code, 0);
}

TEST_F(LevelsTextureCommandTest, RefusalsWriteNothing) {
  ASSERT_EQ(Run({"sample", In("s.iff")}).Code, 0);
  ASSERT_EQ(Run({"sample", In("single.iff"), "--single"}).Code, 0);
  WriteFileBytes(In("text.png"), {'h', 'i'});
  struct TCase {
    std::vector<std::string> Args;
    int Code;
    std::string Err;  // its start
  };
  const TCase Cases[] = {
      {{"levels", In("s.iff"), "-o", In("out"), "--make", "0"}, 2, "--make: Value 0 not in range 1 to 10000"},
      {{"levels", In("s.iff"), "-o", In("out"), "--make", "2", "--ratio", "1"}, 2, "--ratio: Value 1 is not between"},
      {{"levels", In("s.iff"), "-o", In("out")}, 2, "--make is required"},
      {{"levels", In("single.iff"), "-o", In("out"), "--make", "2"},
       1,
       In("single.iff") + " holds a single mesh and no levels of detail to add to\n"},
      {{"levels", In("s.iff"), "-o", In("s.iff"), "--make", "2"},
       1,
       In("s.iff") + " is the model file itself; choose another name\n"},
      {{"texture", In("text.png"), "-o", In("out")}, 1, In("out") + ": a picture is written as a texture"},
      {{"texture", In("text.png"), "-o", In("out.mat")}, 1, In("text.png") + " is not a PNG or JPEG picture\n"},
  };
  for (const TCase& Case : Cases) {
    const TRun R = Run(Case.Args);
    EXPECT_EQ(R.Code, Case.Code) << Case.Err;
    EXPECT_EQ(R.Err.find(Case.Err), 0u) << R.Err;
    EXPECT_EQ(R.Out, "");
    EXPECT_FALSE(std::filesystem::exists(In("out")));
    EXPECT_FALSE(std::filesystem::exists(In("out.mat")));
  }
}

}  // namespace
