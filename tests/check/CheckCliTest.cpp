// The folder walk, and quelbir-cli check run as a user runs it: exit
// statuses, the order of the files for any number of threads, the JSON shape.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "check/ModelFiles.h"
#include "model/SampleModel.h"
#include "tests/support/CliRun.h"
#include "tests/support/TempDir.h"

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

// A mod folder: sound models, one the reader refuses, files that are not
// models, and a link back to a folder that would loop if it were followed.
class ModFolder : public ::testing::Test {
protected:
  ModFolder() {
    fs::create_directories(Mod / "ships" / "old");
    WriteSampleModel((Mod / "ships" / "b.iff").string());
    WriteSampleSingleMeshModel((Mod / "ships" / "A.IFF").string());
    for (int I = 0; I < 12; ++I)
      WriteSampleModel((Mod / "ships" / "old" / ("s" + std::to_string(I) + ".iff")).string());
    WriteFileBytes((Mod / "ships" / "old" / "s5.iff").string(), {'F', 'O', 'R', 'M'});
    WriteFileBytes((Mod / "readme.txt").string(), {'h', 'i'});
    fs::create_directory_symlink(Mod / "ships", Mod / "ships" / "old" / "loop");
  }
  std::string P(const std::string& Relative) const { return (Mod / Relative).string(); }

  TempDir Dir;
  const fs::path Mod = Dir.Path() / "mod";
};

TEST_F(ModFolder, FilesAreListedSortedWithoutFollowingLinkedFolders) {
  std::vector<std::string> Listed;
  for (const TModelFile& F : ListModelFiles({P("ships"), P("readme.txt")})) Listed.push_back(F.Path);
  std::vector<std::string> Expected = {P("ships/A.IFF"), P("ships/b.iff")};
  for (const char* Name : {"s0", "s1", "s10", "s11", "s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9"})
    Expected.push_back(P("ships/old/") + Name + ".iff");
  Expected.push_back(P("readme.txt"));  // named on its own: taken as it is
  EXPECT_EQ(Listed, Expected);
}

TEST_F(ModFolder, AFolderThatCannotBeListedIsNamed) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser lists every folder";
  fs::permissions(Mod / "ships" / "old", fs::perms::none);
  const std::vector<TModelFile> Listed = ListModelFiles({P("ships")});
  fs::permissions(Mod / "ships" / "old", fs::perms::owner_all);
  ASSERT_EQ(Listed.size(), 3u);
  EXPECT_EQ(Listed[2].Path + ": " + Listed[2].FolderError, P("ships/old") + ": Permission denied");
}

// An entry whose status cannot be read (here: its path is longer than the
// system takes) may be a model file or a folder of them; it is a finding,
// never passed over. A name with a line break or an escape sequence stays
// on its line of the report.
TEST_F(ModFolder, WhatCannotBeLookedIntoIsAFindingAndNamesStayOnTheirLine) {
  const fs::path Deep = Dir.Path() / "deep";
  fs::create_directory(Deep);
  int Folder = ::open(Deep.c_str(), O_RDONLY | O_DIRECTORY);
  const std::string Long(200, 'x');
  std::string Tail;
  while ((Deep.string() + Tail).size() < 4200) {
    ASSERT_EQ(::mkdirat(Folder, Long.c_str(), 0700), 0);
    const int Inner = ::openat(Folder, Long.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(Folder);
    Folder = Inner;
    Tail += "/" + Long;
  }
  ::close(Folder);
  const TRun Deeper = Cli(Dir, {"check", Deep.string()});
  EXPECT_EQ(std::system(("rm -rf " + Quoted(Deep.string())).c_str()), 0);
  EXPECT_EQ(Deeper.Code, 1);
  const size_t Cut = Deeper.Out.find('\n');
  ASSERT_NE(Cut, std::string::npos) << Deeper.Out;
  EXPECT_GT(Cut, 4096u);  // the entry, named in full
  EXPECT_EQ(Deeper.Out.substr(Cut),
            "\n  error FOLDER_UNREADABLE: cannot read the status of this entry: File name too long\n"
            "1 files, 1 errors, 0 warnings\n");

  const std::string Odd = P("ships/a\nb\x1b[2J.iff");
  WriteFileBytes(Odd, {'F', 'O', 'R', 'M'});
  const TRun Named = Cli(Dir, {"check", Odd});
  EXPECT_EQ(Named.Out, P("ships/a\\x0Ab\\x1B[2J.iff") +
                           "\n  error IFF_UNREADABLE: EIffReader_ErrorInForm: Error in Form \"\" at offset 0\n"
                           "1 files, 1 errors, 0 warnings\n");
}

TEST_F(ModFolder, ExitStatusSaysWhetherAnyFileHasAnError) {
  const TRun Sound = Cli(Dir, {"check", P("ships/b.iff"), P("ships/A.IFF")});
  EXPECT_EQ(Sound.Code, 0);
  EXPECT_EQ(Sound.Out, "2 files, 0 errors, 0 warnings\n");
  const TRun Broken = Cli(Dir, {"check", P("ships")});
  EXPECT_EQ(Broken.Code, 1);
  EXPECT_EQ(Broken.Out, P("ships/old/s5.iff") +
                            "\n  error IFF_UNREADABLE: EIffReader_ErrorInForm: Error in Form \"\" at offset 0\n"
                            "14 files, 1 errors, 0 warnings\n");
  EXPECT_EQ(Broken.Err, "");  // not a terminal: no progress bar
  EXPECT_EQ(Cli(Dir, {"check", P("ships"), P("no-such-folder")}).Code, 2);
  EXPECT_EQ(Cli(Dir, {"check", P("ships"), "--lod", "1", "--all-lods"}).Code, 2);
}

TEST_F(ModFolder, JsonInPathOrderForAnyNumberOfThreadsWithExactlyTheKeys) {
  const TRun One = Cli(Dir, {"check", "--json", "--jobs", "1", P("ships")});
  const TRun Default = Cli(Dir, {"check", "--json", P("ships")});
  const TRun Eight = Cli(Dir, {"check", "--json", "--jobs", "8", P("ships")});
  EXPECT_EQ(One.Code, 1);
  EXPECT_EQ(Default.Out, One.Out);
  EXPECT_EQ(Eight.Out, One.Out);

  const json Report = json::parse(One.Out);
  auto Keys = [](const json& Object) {
    std::vector<std::string> Names;
    for (auto& [Key, Value] : Object.items()) Names.push_back(Key);
    std::sort(Names.begin(), Names.end());
    return Names;
  };
  EXPECT_EQ(Keys(Report), (std::vector<std::string>{"files", "summary"}));
  EXPECT_EQ(Report["summary"], json::parse(R"({"files": 14, "errors": 1, "warnings": 0, "infos": 0})"));
  std::vector<std::string> Order;
  for (const json& File : Report["files"]) Order.push_back(File["file"]);
  std::vector<std::string> Sorted;
  for (const TModelFile& F : ListModelFiles({P("ships")})) Sorted.push_back(F.Path);
  EXPECT_EQ(Order, Sorted);
  EXPECT_EQ(Report["files"][9]["findings"],
            json::parse(R"([{"code": "IFF_UNREADABLE", "severity": "error", "message": )"
                        R"("EIffReader_ErrorInForm: Error in Form \"\" at offset 0", "lod": null, "record": null, )"
                        R"("offset": null}])"));
}

}  // namespace
