// quelbir-cli run as a user runs it: exact standard output, standard error
// and exit status. Plain cases are rows of one table; cases that need their
// own set-up (pipes, links, another user, several steps) follow as tests of
// their own, through the same runner.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include <nlohmann/json.hpp>

#include "gl/PngPicture.h"
#include "model/SampleModel.h"
#include "tests/support/CliRun.h"
#include "tests/support/IffBytes.h"

namespace {

TBytes SphereOnlyFile(const TBytes& SphereData) {
  return Form("DETA", Chunk("HEAD", {1, 2, 3}) + Form("COLL", Chunk("SPHR", SphereData) + Form("EXTN")));
}

// The model files the rows start from.
using TFixture = void (*)(const std::string& File);

void NoFile(const std::string&) {}
void OddSphere(const std::string& F) { WriteFileBytes(F, SphereOnlyFile(Floats({1.5f, -0.0f, 0.1f, 3e38f}))); }
void PlainSphere(const std::string& F) { WriteFileBytes(F, SphereOnlyFile(Floats({1, 2, 3, 4}))); }
void ShortSphere(const std::string& F) { WriteFileBytes(F, SphereOnlyFile(Floats({1, 2, 3}))); }
void Sample(const std::string& F) { WriteSampleModel(F); }
void NoSphereNoHardpoint(const std::string& F) { WriteLodModel(F, {SampleCraftMesh(2)}, {}, nullptr); }
void BrokenLevel(const std::string& F) { WriteFileBytes(F, Form("MESH", Form("0012"))); }

void OneGun(const std::string& F) {
  TSampleHardpoint Gun;
  Gun.Name = "gun1";
  Gun.Matrix[12] = 1.5f;
  Gun.Matrix[13] = -2;
  Gun.Matrix[14] = 0.25f;
  WriteLodModel(F, {SampleCraftMesh(2)}, {Gun}, nullptr);
}

// A name the script cannot carry: no script is written.
void TabbedName(const std::string& F) { WriteLodModel(F, {SampleCraftMesh(2)}, {{"a\tb", {}}}, nullptr); }

// Extent 1e-39: the fit scale 2 / (E / 0.4) overflows; loading completes.
void Tiny(const std::string& F) {
  TSampleMesh Mesh;
  Mesh.AddPolygon({{0, 0, 0}, {1e-39f, 0, 0}, {0, 1e-39f, 0}});
  TSampleSphere Sphere;
  Sphere.Value = 2;
  WriteLodModel(F, {Mesh, Mesh}, {}, &Sphere);
}

// A row: "{file}" in the arguments and texts stands for the model file,
// "{dir}" for the test's folder; an absent expectation is not compared.
struct TCliCase {
  const char* Name;
  TFixture Fixture;
  std::vector<std::string> Args;
  std::optional<std::string> Out, Err;
  std::optional<int> Code;
};

void PrintTo(const TCliCase& Row, std::ostream* Out) { *Out << Row.Name; }

const std::nullopt_t Any = std::nullopt;

const TCliCase Cases[] = {
    {"SpherePrintsTheFourStoredValuesSoTheyReadBack", OddSphere, {"sphere", "{file}"}, "1.5 -0 0.1 3e+38\n", "", 0},
    {"SphereSetRefusesAValueThatIsNoFloat",
     PlainSphere,
     {"sphere", "{file}", "--set", "1", "2", "3", "1,5"},
     "",
     "'1,5' is not a valid floating point value\n",
     1},
    {"SphereSetIntoAShortChunk",
     ShortSphere,
     {"sphere", "{file}", "--set", "1", "2", "3", "4"},
     Any,
     "TIffReader: Write beyond end of chunk!\n",
     1},
    {"SphereFromAShortChunk", ShortSphere, {"sphere", "{file}"}, Any, "TIffReader: Read beyond end of chunk!\n", 1},
    {"SphereOfAMissingFile", NoFile, {"sphere", "{dir}/missing.iff"}, Any, "Cannot open file {dir}/missing.iff\n", 1},
    {"SphereSetNeedsFourValues", PlainSphere, {"sphere", "{file}", "--set", "1", "2"}, Any, Any, 2},
    {"SphereFitWriteWithoutASphere",
     NoSphereNoHardpoint,
     {"sphere", "{file}", "--fit", "--write"},
     Any,
     "TIffReader: Form (COLL) doesn't exist!\n",
     1},
    {"SphereSetWithoutASphere",
     NoSphereNoHardpoint,
     {"sphere", "{file}", "--set", "1", "2", "3", "4"},
     Any,
     "TIffReader: Form (COLL) doesn't exist!\n",
     Any},
    {"SphereWriteNeedsFit", NoSphereNoHardpoint, {"sphere", "{file}", "--write"}, Any, Any, 2},
    {"ScriptPrintsTheClipboardTextOfTheLoadedFile",
     OneGun,
     {"script", "{file}"},
     "    FORM \"HARD\"\r\n    {\r\n      CHUNK \"HARD\"\r\n      {\r\n"
     "        float 1.000\r\n        float 0.000\r\n        float 0.000\r\n        float 1.500\r\n"
     "        float 0.000\r\n        float 1.000\r\n        float 0.000\r\n        float -2.000\r\n"
     "        float 0.000\r\n        float 0.000\r\n        float 1.000\r\n        float 0.250\r\n"
     "        cstring \"gun1\"\r\n      }\r\n    }\r\n  }\r\n",
     Any,
     0},
    {"ScriptOfAModelWithoutHardpoints",
     NoSphereNoHardpoint,
     {"script", "{file}", "--lod", "0"},
     "    FORM \"HARD\"\r\n    {\r\n    }\r\n  }\r\n",
     Any,
     Any},
    {"ScriptRefusesANameItCannotCarry",
     TabbedName,
     {"script", "{file}"},
     "",
     "The hardpoint script cannot carry the name of hardpoint \"a\\x09b\": A hardpoint's name cannot hold the "
     "control character 0x09; rename it first\n",
     1},
    {"ScriptOfAFileWithoutMesh", PlainSphere, {"script", "{file}"}, Any, "TIffReader: Form (MESH) doesn't exist!\n", 1},
    {"RenderKnowsItsViews", Sample, {"render", "{file}", "-o", "{dir}/out.png", "--view", "Front View"}, Any, Any, 2},
    {"RenderSizeNeedsAHeight", Sample, {"render", "{file}", "-o", "{dir}/out.png", "--size", "64"}, Any, Any, 2},
    {"RenderSizeIsNotEmpty", Sample, {"render", "{file}", "-o", "{dir}/out.png", "--size", "0x10"}, Any, Any, 2},
    {"RenderNeedsAnOutput", Sample, {"render", "{file}"}, Any, Any, 2},
    {"RenderKnowsItsShadings", Sample, {"render", "{file}", "-o", "{dir}/out.png", "--shading", "shaded"}, Any, Any, 2},
    {"AFitBeyondTheFloatRangeStillInforms", Tiny, {"info", "{file}"}, Any, Any, 0},
    {"AFitBeyondTheFloatRangeStillScripts", Tiny, {"script", "{file}"}, Any, Any, 0},
    {"AFitBeyondTheFloatRangeStillPrintsTheSphere", Tiny, {"sphere", "{file}"}, "0 0 0 2\n", Any, Any},
    {"InfoOfAMissingFile", NoFile, {"info", "{dir}/none.iff"}, "", "Cannot open file {dir}/none.iff\n", 1},
    {"InfoOfALevelWithoutVertices",
     BrokenLevel,
     {"info", "{file}", "--json"},
     Any,
     "TIffReader[Form: 0012]: Chunk (VERT) doesn't exist!\n",
     Any},
    {"SampleIntoAMissingFolder", NoFile, {"sample", "{dir}/no/such/folder.iff"}, Any, Any, 1},
    {"InfoNeedsAFile", NoFile, {"info"}, Any, Any, 2},
    {"ASizeThatIsNoWholeNumber",
     Sample,
     {"thumbnail", "{file}", "-o", "{dir}/t.png", "-s", "1e3"},
     "",
     "--size: '1e3' is not a valid integer value\nRun with --help for more information.\n",
     2},
    {"JobsThatAreNoNumber",
     Sample,
     {"check", "{file}", "--jobs", "abc"},
     "",
     "--jobs: 'abc' is not a valid integer value\nRun with --help for more information.\n",
     2},
    {"JobsOutOfRange",
     Sample,
     {"check", "{file}", "--jobs", "0"},
     "",
     "--jobs: Value 0 not in range 1 to 65536\nRun with --help for more information.\n",
     2},
    {"ALevelBelowZero",
     Sample,
     {"info", "{file}", "--lod", "-1"},
     "",
     "--lod: -1 is not a level of detail: levels count from 0\nRun with --help for more information.\n",
     2},
    {"AZoomThatIsNoWholeNumber",
     Sample,
     {"render", "{file}", "-o", "{dir}/r.png", "--zoom", "1.5"},
     "",
     "--zoom: '1.5' is not a valid integer value\nRun with --help for more information.\n",
     2},
    {"ExportOfAnUnknownFormat",
     Sample,
     {"export", "{file}", "-o", "{dir}/bare.iff.fbx"},
     Any,
     "Export: the format of {dir}/bare.iff.fbx is not known; use .glb, .gltf or .obj\n",
     1},
};

class CliCase : public ::testing::TestWithParam<TCliCase> {};

TEST_P(CliCase, PrintsAndExitsAsTheRowSays) {
  const TCliCase& Row = GetParam();
  TempDir Dir;
  const std::string File = Dir.File("model.iff");
  auto Expand = [&](std::string Text) {
    using TPlace = std::pair<std::string, std::string>;
    for (const auto& [Key, Value] : {TPlace{"{file}", File}, TPlace{"{dir}", Dir.Path().string()}})
      for (size_t At; (At = Text.find(Key)) != std::string::npos;) Text.replace(At, Key.size(), Value);
    return Text;
  };
  Row.Fixture(File);
  const TBytes Before = ReadFileBytes(File);
  std::vector<std::string> Args;
  for (const std::string& A : Row.Args) Args.push_back(Expand(A));
  const TRun R = Cli(Dir, Args);
  // Braced: the expectations are if-statements of their own.
  if (Row.Out) {
    EXPECT_EQ(R.Out, Expand(*Row.Out));
  }
  if (Row.Err) {
    EXPECT_EQ(R.Err, Expand(*Row.Err));
  }
  if (Row.Code) {
    EXPECT_EQ(R.Code, *Row.Code) << R.Err;
  }
  // A command that fails leaves the model file as it was.
  if (R.Code != 0) {
    EXPECT_EQ(ReadFileBytes(File), Before);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, CliCase, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<TCliCase>& Info) { return std::string(Info.param.Name); });

class CliTest : public ::testing::Test {
protected:
  TRun Run(const std::vector<std::string>& Args, const std::string& Redirect = "") {
    return Cli(Dir, Args, Prefix, Redirect, Program);
  }
  // Makes File read-only for everyone. The superuser may write any file, so
  // then the tool runs as an ordinary user, from a copy in the test's folder:
  // the build may lie where no other user can enter (a clone in the root
  // user's home folder, mode 0700). Returns why it cannot, else "".
  std::string MakeFileReadOnly() {
    namespace fs = std::filesystem;
    fs::permissions(File, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (::geteuid() != 0) return "";
    if (std::system("setpriv --help >/dev/null 2>&1") != 0) return "no setpriv to drop privileges";
    fs::permissions(Dir.Path(),
                    fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    Program = Dir.File("quelbir-cli");
    fs::copy_file(QUELBIR_CLI, Program);
    // A sanitizer build reads its leak suppressions as it starts: a copy too.
    if (const char* Options = std::getenv("LSAN_OPTIONS")) {
      std::string Text = Options;
      if (const size_t At = Text.find("suppressions="); At != std::string::npos) {
        const size_t From = At + 13, To = std::min(Text.find(':', From), Text.size());
        fs::copy_file(Text.substr(From, To - From), Dir.File("lsan.supp"));
        Text.replace(From, To - From, Dir.File("lsan.supp"));
        Prefix = "LSAN_OPTIONS=" + Quoted(Text) + " ";
      }
    }
    const std::string Reader = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (std::system((Reader + "test -x " + Quoted(Program) + " -a -r " + Quoted(File)).c_str()) != 0)
      return "user 65534 cannot run a copy of the tool in " + Dir.Path().string();
    Prefix += Reader;
    return "";
  }
  TempDir Dir;
  std::string File = Dir.File("model.iff");
  std::string Prefix;  // runs the tool under another user, for instance
  std::string Program = QUELBIR_CLI;
};

}  // namespace

TEST_F(CliTest, SphereSetWritesLikeSaveAndPrintsWhatIsStored) {
  const TBytes Before = SphereOnlyFile(Floats({1, 2, 3, 4}));
  WriteFileBytes(File, Before);
  const TRun R = Run({"sphere", File, "--set", "0.5", "-2.25", " 1e-1", "7"});
  EXPECT_EQ(R.Out, "0.5 -2.25 0.1 7\n");
  EXPECT_EQ(R.Code, 0);
  TBytes Expected = Before;
  const TBytes New = Floats({0.5f, -2.25f, 0.1f, 7});
  std::copy(New.begin(), New.end(), Expected.begin() + long(DataOffset(Before, "SPHR")));
  EXPECT_EQ(ReadFileBytes(File), Expected);
}

// Output that cannot be written is an error, not a printed result.
TEST_F(CliTest, AStandardOutputThatCannotBeWrittenIsAnError) {
  WriteSampleModel(File);
  TRun R = Run({"sphere", File}, " >/dev/full");
  EXPECT_EQ(R.Err, "Cannot write the sphere to standard output\n");
  EXPECT_EQ(R.Code, 1);
  R = Run({"script", File}, " >/dev/full");
  EXPECT_EQ(R.Err, "Cannot write the script to standard output\n");
  EXPECT_EQ(R.Code, 1);
}

TEST_F(CliTest, SphereFitWriteChangesOnlyTheSixteenSphereBytes) {
  WriteSampleModel(File);
  const TBytes Before = ReadFileBytes(File);
  const TRun Fit = Run({"sphere", File, "--fit"});
  ASSERT_EQ(Fit.Code, 0) << Fit.Err;
  EXPECT_EQ(ReadFileBytes(File), Before);  // without --write nothing is written
  const TRun Written = Run({"sphere", File, "--fit", "--write"});
  ASSERT_EQ(Written.Code, 0) << Written.Err;
  EXPECT_EQ(Written.Out, Fit.Out);  // read back as fitted
  EXPECT_EQ(Run({"sphere", File}).Out, Fit.Out);
  const TBytes After = ReadFileBytes(File);
  ASSERT_EQ(After.size(), Before.size());
  const size_t Sphere = DataOffset(Before, "SPHR");
  for (size_t I = 0; I < After.size(); ++I) {
    if (I < Sphere || I >= Sphere + 16) {
      ASSERT_EQ(After[I], Before[I]) << "byte " << I;
    }
  }
}

TEST_F(CliTest, RenderWritesThePictureOfTheChosenView) {
  WriteSampleModel(File);
  const std::string Png = Dir.File("out.png");
  TRun R = Run({"render", File, "-o", Png});
  if (R.Code == 1 && R.Err.rfind("THeadlessGL: ", 0) == 0) GTEST_SKIP() << R.Err;
  ASSERT_EQ(R.Code, 0) << R.Err;
  EXPECT_EQ(R.Out, "");
  TPngPicture P = ReadPng(Png);
  EXPECT_EQ(P.Width, 528);
  EXPECT_EQ(P.Height, 336);
  // The background is the window's opaque black, and the model is on it.
  EXPECT_EQ(std::vector<uint8_t>(P.Rgba.begin(), P.Rgba.begin() + 4), (std::vector<uint8_t>{0, 0, 0, 255}));
  size_t WhitePixels = 0;
  for (size_t I = 0; I < P.Rgba.size(); I += 4)
    WhitePixels += P.Rgba[I] == 255 && P.Rgba[I + 1] == 255 && P.Rgba[I + 2] == 255 && P.Rgba[I + 3] == 255;
  EXPECT_GT(WhitePixels, 500u);

  R = Run({"render", File, "-o", Png, "--view", "Top View", "--size", "64x48", "--zoom", "-50", "--sphere"});
  ASSERT_EQ(R.Code, 0) << R.Err;
  P = ReadPng(Png);
  EXPECT_EQ(P.Width, 64);
  EXPECT_EQ(P.Height, 48);

  // --names: the first hardpoint's name in yellow beside its yellow marker.
  auto Yellow = [&] {
    const TPngPicture Names = ReadPng(Png);
    size_t N = 0;
    for (size_t I = 0; I < Names.Rgba.size(); I += 4)
      N += Names.Rgba[I] == 255 && Names.Rgba[I + 1] == 255 && Names.Rgba[I + 2] == 0;
    return N;
  };
  ASSERT_EQ(Run({"render", File, "-o", Png}).Code, 0);
  const size_t MarkersOnly = Yellow();
  ASSERT_EQ(Run({"render", File, "-o", Png, "--names"}).Code, 0);
  EXPECT_GT(Yellow(), MarkersOnly + 50);
}

TEST_F(CliTest, ShadingPaintsTheSurfacesAndNamesTheTexturesNotFound) {
  WriteSampleModel(File);
  const TRun Outlines = Run({"render", File, "-o", Dir.File("default.png")});
  if (Outlines.Code == 1 && Outlines.Err.rfind("THeadlessGL: ", 0) == 0) GTEST_SKIP() << Outlines.Err;
  ASSERT_EQ(Run({"render", File, "-o", Dir.File("outlines.png"), "--shading", "outlines"}).Code, 0);
  EXPECT_EQ(ReadFileBytes(Dir.File("outlines.png")), ReadFileBytes(Dir.File("default.png")));

  // The pixels of a thumbnail in one colour.
  auto Count = [&](const std::string& Png, uint8_t R, uint8_t G, uint8_t B) {
    const TPngPicture P = ReadPng(Png);
    size_t N = 0;
    for (size_t I = 0; I < P.Rgba.size(); I += 4) N += P.Rgba[I] == R && P.Rgba[I + 1] == G && P.Rgba[I + 2] == B;
    return N;
  };
  // Without its textures beside it the sample's thumbnail is Solid: its top
  // faces the light in the top view.
  ASSERT_EQ(Run({"thumbnail", File, "-o", Dir.File("solid.png")}).Code, 0);
  EXPECT_GT(Count(Dir.File("solid.png"), 204, 204, 204), 1000u);
  const TRun Missing = Run({"render", File, "-o", Dir.File("grey.png"), "--shading", "textured"});
  EXPECT_EQ(Missing.Err, "Textures not found in " + Dir.Path().string() +
                             ", drawn in grey: 00000001, 00000002, 00000003, 00000004\n");
  EXPECT_EQ(Missing.Code, 0);

  // With them, Textured: the top's plates.
  const std::string Ship = Dir.File("ship/ship.iff");
  ASSERT_EQ(Run({"sample", Ship, "--textures", Dir.File("ship")}).Code, 0);
  for (const char* Mat : {"00000001.mat", "00000002.mat", "00000003.mat", "00000004.mat"})
    EXPECT_TRUE(std::filesystem::is_regular_file(Dir.File("ship/") + Mat)) << Mat;
  const TRun Textured = Run({"thumbnail", Ship, "-o", Dir.File("textured.png")});
  EXPECT_EQ(Textured.Err, "");
  EXPECT_GT(Count(Dir.File("textured.png"), 176, 190, 206), 1000u);
}

TEST_F(CliTest, AFitBeyondTheFloatRangeFailsOnlyWhatDraws) {
  Tiny(File);  // info, script and sphere still answer: see the rows
  const TRun Render = Run({"render", File, "-o", Dir.File("tiny.png")});
  if (Render.Err.rfind("THeadlessGL: ", 0) == 0) GTEST_SKIP() << Render.Err;
  EXPECT_EQ(Render.Err, File + ": Floating point overflow\n");
  EXPECT_EQ(Render.Code, 1);
}

// A pipe would block its opener for ever, a folder is no model: every
// command refuses either at once, a pipe in check's words, a folder as an
// open refuses it.
TEST_F(CliTest, WhatIsNotARegularFileIsRefusedByEveryCommand) {
  const std::string Fifo = Dir.File("f.iff"), Folder = Dir.File("d.iff");
  ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
  std::filesystem::create_directory(Folder);
  Prefix = "timeout 10 ";
  const std::string Png = Dir.File("out.png"), Glb = Dir.File("out.glb");
  for (const std::string& In : {Fifo, Folder}) {
    const std::vector<std::vector<std::string>> Commands{{"info", In},
                                                         {"sphere", In},
                                                         {"sphere", In, "--fit"},
                                                         {"sphere", In, "--set", "1", "2", "3", "4"},
                                                         {"tree", In},
                                                         {"script", In},
                                                         {"render", In, "-o", Png},
                                                         {"thumbnail", In, "-o", Png},
                                                         {"export", In, "-o", Glb}};
    for (const auto& Args : Commands) {
      SCOPED_TRACE(Args[0] + " " + In);
      const TRun R = Run(Args);
      EXPECT_EQ(R.Err, In == Folder ? "Cannot open file " + In + "\n" : In + " is not a regular file\n");
      EXPECT_EQ(R.Code, 1);
    }
  }
  const TRun Check = Run({"check", Fifo});
  EXPECT_EQ(Check.Out,
            Fifo + "\n  error IFF_UNREADABLE: " + Fifo + " is not a regular file\n1 files, 1 errors, 0 warnings\n");
  EXPECT_FALSE(std::filesystem::exists(Png));
  EXPECT_FALSE(std::filesystem::exists(Glb));
}

// The model file never takes an output, whatever name reaches it.
TEST_F(CliTest, NoCommandWritesIntoTheModelFile) {
  WriteSampleModel(File);
  const TBytes Before = ReadFileBytes(File);
  std::filesystem::create_symlink(File, Dir.File("soft.png"));
  std::filesystem::create_hard_link(File, Dir.File("hard.png"));
  std::filesystem::create_hard_link(File, Dir.File("hard.glb"));
  std::filesystem::create_hard_link(File, Dir.File("hard.obj"));
  const std::vector<std::pair<std::string, std::string>> Cases{{"render", File},
                                                               {"render", Dir.File("soft.png")},
                                                               {"render", Dir.File("hard.png")},
                                                               {"thumbnail", File},
                                                               {"thumbnail", Dir.File("soft.png")},
                                                               {"thumbnail", Dir.File("hard.png")},
                                                               {"export", Dir.File("hard.glb")},
                                                               {"export", Dir.File("hard.obj")}};
  for (const auto& [Command, Out] : Cases) {
    SCOPED_TRACE(Command + " -o " + Out);
    const TRun R = Run({Command, File, "-o", Out});
    EXPECT_EQ(R.Err, Out + " is the model file itself; choose another name\n");
    EXPECT_EQ(R.Code, 1);
    EXPECT_EQ(ReadFileBytes(File), Before);
  }
}

TEST_F(CliTest, InfoJsonCarriesTheSphereAsThePanelReadsIt) {
  TSampleSphere Sphere;
  Sphere.Center = {1.5f, 0.1f, -2.25f};
  Sphere.Value = 3;
  Sphere.WithExtn = false;
  WriteLodModel(File, {SampleCraftMesh(2)}, {}, &Sphere);
  TRun R = Run({"info", File, "--json"});
  ASSERT_EQ(R.Code, 0) << R.Err;
  nlohmann::json Info = nlohmann::json::parse(R.Out);
  ASSERT_EQ(Info["sphere"]["center"].size(), 3u);
  EXPECT_EQ(float(Info["sphere"]["center"][0].get<double>()), 1.5f);
  EXPECT_EQ(float(Info["sphere"]["center"][1].get<double>()), 0.1f);
  EXPECT_EQ(float(Info["sphere"]["center"][2].get<double>()), -2.25f);
  EXPECT_EQ(float(Info["sphere"]["diameter"].get<double>()), 3.0f);
  EXPECT_TRUE(Info["sphere_error"].is_null());
  EXPECT_EQ(Info["tree_present"], false);

  Sphere.WithExtn = true;
  WriteLodModel(File, {SampleCraftMesh(2)}, {}, &Sphere);
  EXPECT_EQ(nlohmann::json::parse(Run({"info", File, "--json"}).Out)["tree_present"], true);

  // A model without a sphere is still summarised, with the reader's message.
  WriteLodModel(File, {SampleCraftMesh(2)}, {}, nullptr);
  R = Run({"info", File, "--json"});
  ASSERT_EQ(R.Code, 0) << R.Err;
  Info = nlohmann::json::parse(R.Out);
  EXPECT_TRUE(Info["sphere"].is_null());
  EXPECT_EQ(Info["sphere_error"], "TIffReader: Form (COLL) doesn't exist!");
  EXPECT_TRUE(Info["tree_present"].is_null());
}

TEST_F(CliTest, ReadOnlyFileIsRefusedForSavingButCanBeInspected) {
  const TBytes Before = SphereOnlyFile(Floats({1, 2, 3, 4}));
  WriteFileBytes(File, Before);
  if (const std::string Why = MakeFileReadOnly(); !Why.empty()) GTEST_SKIP() << Why;
  TRun R = Run({"sphere", File, "--set", "5", "6", "7", "8"});
  EXPECT_EQ(R.Err, "Cannot open file " + File + "\n");
  EXPECT_EQ(R.Code, 1);
  EXPECT_EQ(ReadFileBytes(File), Before);
  R = Run({"sphere", File});
  EXPECT_EQ(R.Out, "1 2 3 4\n");
  EXPECT_EQ(R.Code, 0) << R.Err;
}

TEST_F(CliTest, InspectingSubcommandsReadModelsTheyMayNotWrite) {
  WriteSampleModel(File);
  if (const std::string Why = MakeFileReadOnly(); !Why.empty()) GTEST_SKIP() << Why;
  for (const char* Command : {"info", "script"}) {
    const TRun R = Run({Command, File});
    EXPECT_EQ(R.Code, 0) << Command << ": " << R.Err;
  }
}
