// A new model file with other hardpoints and sphere: every other byte of the
// source kept, the hardpoints and sphere read back to the bit; and the rule
// for hardpoints' names with the names the editor makes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "model/HardpointName.h"
#include "model/ModelWriter.h"
#include "model/SampleModel.h"
#include "model/SphereFile.h"
#include "model/THardpoint.h"
#include "model/TZorvObject.h"
#include "runtime/OutputFiles.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/FileCallsGuard.h"
#include "tests/support/IffBytes.h"
#include "tests/support/TempDir.h"

namespace {

// Hardpoints whose numbers a float conversion would change: a NaN with a
// payload, -0 and the smallest denormal; a name of Latin-1 bytes.
std::vector<THardpoint> OddHardpoints() {
  THardpoint A{"Gun\xE9", {}}, B{"Tail", {}};
  uint32_t Payload = 0x7FA00001;
  std::memcpy(&A.Matrix[12], &Payload, 4);
  A.Matrix[13] = -0.0f;
  A.Matrix[14] = std::numeric_limits<float>::denorm_min();
  B.Matrix[0] = 0.5f;
  return {A, B, A};
}

void ExpectLoadedAs(const std::string& File, const std::vector<THardpoint>& Expected) {
  TZorvObject Model(TDisplayListPolicy::None);
  Model.LoadFromFile(File);
  ASSERT_EQ(Model.HardpointCount(), int32_t(Expected.size()));
  for (size_t I = 0; I < Expected.size(); ++I) {
    const THardpoint* Got = Model.GetHardpoint(int32_t(I));
    EXPECT_EQ(Got->Name, Expected[I].Name);
    for (int Element : THardpoint::FileToMatrix)
      EXPECT_EQ(std::memcmp(&Got->Matrix[size_t(Element)], &Expected[I].Matrix[size_t(Element)], 4), 0)
          << "hardpoint " << I << ", element " << Element;
  }
}

// Bytes [0, Begin) and [End, size) of Source are the first and last bytes of
// Result, apart from the top form's size field.
void ExpectKeptOutside(TBytes Source, TBytes Result, size_t Begin, size_t End) {
  ASSERT_GE(Result.size(), Begin + (Source.size() - End));
  std::fill_n(Source.begin() + 4, 4, 0);
  std::fill_n(Result.begin() + 4, 4, 0);
  EXPECT_TRUE(std::equal(Source.begin(), Source.begin() + long(Begin), Result.begin()));
  EXPECT_TRUE(std::equal(Source.begin() + long(End), Source.end(), Result.end() - long(Source.size() - End)));
}

class ModelWriterTest : public ::testing::Test {
protected:
  TempDir Dir;
  std::string Source = Dir.File("source.iff"), Output = Dir.File("new.iff");
};

}  // namespace

TEST_F(ModelWriterTest, ReplacesTheHardFormAndSphereAndKeepsEveryOtherByte) {
  WriteSampleModel(Source);
  const TBytes Before = ReadFileBytes(Source);
  const TSphereValues Sphere{1.5f, -0.0f, std::numeric_limits<float>::quiet_NaN(), 7};
  WriteModelFileWithHardpoints(Source, Output, OddHardpoints(), &Sphere);

  EXPECT_EQ(ReadFileBytes(Source), Before);
  ExpectLoadedAs(Output, OddHardpoints());
  float Center[3], Diameter;
  bool Tree = false;
  ReadSphere(Output, Center, Diameter, Tree, /*ReadOnly=*/true);
  EXPECT_EQ(std::memcmp(Center, Sphere.data(), 12), 0);
  EXPECT_EQ(Diameter, 7);
  EXPECT_TRUE(Tree);

  // The sample: the mesh container, then FORM "HARD", then FORM "COLL".
  const TBytes After = ReadFileBytes(Output);
  auto FindHard = [&](const TBytes& Bytes) {
    for (size_t I = 0;; ++I)
      if (std::memcmp(Bytes.data() + I, "HARD", 4) == 0 && std::memcmp(Bytes.data() + I - 8, "FORM", 4) == 0)
        return I - 8;
  };
  const size_t Begin = FindHard(Before);
  const size_t OldEnd =
      Begin + 8 +
      ((Before[Begin + 4] << 24) | (Before[Begin + 5] << 16) | (Before[Begin + 6] << 8) | Before[Begin + 7]);
  TBytes Expected = Before;
  std::memcpy(Expected.data() + (OldEnd + 12 + 8), Sphere.data(), 16);  // FORM COLL, then SPHR's header
  ExpectKeptOutside(Expected, After, Begin, OldEnd);
  EXPECT_EQ(FindHard(After), Begin);
  const uint32_t TopSize = (After[4] << 24) | (After[5] << 16) | (After[6] << 8) | After[7];
  EXPECT_EQ(TopSize + 8, After.size());
}

TEST_F(ModelWriterTest, AFileWithoutHardpointsGetsThemWhereTheLoaderLooks) {
  // A single-mesh file of mesh form and sphere, with a chunk of its own.
  const TBytes Mesh = SingleMeshModelBytes(SampleCraftMesh(2), {}, nullptr);
  const TBytes MeshForm(Mesh.begin() + 12, Mesh.end());
  const TBytes Rest = Chunk("NOTE", {1, 2, 3}) + Form("COLL", Chunk("SPHR", Floats({1, 2, 3, 4})));
  const TBytes Before = Form("MESH", MeshForm + Rest);
  WriteFileBytes(Source, Before);

  for (const auto& Hardpoints : {OddHardpoints(), std::vector<THardpoint>{}}) {
    WriteModelFileWithHardpoints(Source, Output, Hardpoints, nullptr);
    ExpectLoadedAs(Output, Hardpoints);
    const TBytes After = ReadFileBytes(Output);
    ExpectKeptOutside(Before, After, 12 + MeshForm.size(), 12 + MeshForm.size());
  }
}

TEST_F(ModelWriterTest, RefusesWhatCannotBeWrittenAndWritesNothing) {
  WriteSampleModel(Source);
  WriteFileBytes(Output, {1, 2, 3});
  const TSphereValues Sphere{1, 2, 3, 4};
  struct TCase {
    const char* What;
    std::string Source, Output;
    std::vector<THardpoint> Hardpoints;
    std::string Message;
  } Cases[] = {
      {"the source itself", Source, Source, {}, Source + " is the model file itself; choose another name"},
      {"a zero byte in a name",
       Source,
       Output,
       {{"ok", {}}, {std::string("a\0b", 3), {}}},
       "TModelWriter: the name of hardpoint 2 holds a zero byte, where the model file ends a name"},
      {"a source without a sphere", Dir.File("nosphere.iff"), Output, {}, "TIffReader: Form (COLL) doesn't exist!"},
  };
  WriteLodModel(Dir.File("nosphere.iff"), {SampleCraftMesh(2)}, {}, nullptr);
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    EXPECT_EQ(MessageOf([&] { WriteModelFileWithHardpoints(Case.Source, Case.Output, Case.Hardpoints, &Sphere); }),
              Case.Message);
    EXPECT_EQ(ReadFileBytes(Output), TBytes({1, 2, 3}));
  }
}

TEST_F(ModelWriterTest, AFullDiskLeavesThePreviousFileAsItWas) {
  WriteSampleModel(Source);
  WriteFileBytes(Output, {1, 2, 3});
  TFileCallsGuard Guard;
  FileCalls().pwrite = [](int, const void*, unsigned long Count, long) -> long { return long(Count / 2); };
  EXPECT_THROW(WriteModelFileWithHardpoints(Source, Output, OddHardpoints(), nullptr), EOutputFile);
  ResetFileCalls();
  EXPECT_EQ(ReadFileBytes(Output), TBytes({1, 2, 3}));
}

TEST(HardpointName, TheRuleRefusesWhatTheFileOrTheScriptCannotCarry) {
  const std::pair<std::string, std::string> Cases[] = {
      {"Gun Left 1", ""},
      {"Gun\xE9", ""},
      {"", "A hardpoint's name cannot be empty"},
      {std::string("a\0b", 3), "A hardpoint's name cannot hold a zero byte: the model file ends the name there"},
      {"a\r\nb", "A hardpoint's name cannot hold a line break"},
      {"a\tb", "A hardpoint's name cannot hold the control character 0x09"},
      {"a\x7F", "A hardpoint's name cannot hold the control character 0x7F"},
      {"X\" float 9 cstring \"Y",
       "A hardpoint's name cannot hold a double quotation mark: the hardpoint script writes the name between two and "
       "has no escapes"},
      {"a\\",
       "A hardpoint's name cannot hold a backslash: the hardpoint script has no escapes, and the tools that "
       "compile it read one as the start of an escape"},
  };
  for (const auto& [Name, Problem] : Cases) EXPECT_EQ(HardpointNameProblem(Name), Problem) << Name;
}

TEST(HardpointName, TypedTextBecomesLatin1OrIsRefused) {
  EXPECT_EQ(HardpointNameFromText("Gun\xC3\xA9"), "Gun\xE9");
  EXPECT_EQ(MessageOf([] { HardpointNameFromText("Gun\xE2\x82\xAC"); }),
            "A hardpoint's name can hold only Latin-1 characters (up to U+00FF), as the model file stores 8-bit text");
  EXPECT_EQ(MessageOf([] { HardpointNameFromText(""); }), "A hardpoint's name cannot be empty");
}

TEST(HardpointName, FreshAndDuplicateNamesAreTheFirstNotInUse) {
  EXPECT_EQ(FreshHardpointName({}), "Hardpoint1");
  EXPECT_EQ(FreshHardpointName({"Hardpoint1", "Hardpoint3"}), "Hardpoint2");
  EXPECT_EQ(DuplicateHardpointName("GunLeft", {"GunLeft"}), "GunLeft2");
  EXPECT_EQ(DuplicateHardpointName("Gun1", {"Gun1", "Gun2"}), "Gun3");
  EXPECT_EQ(DuplicateHardpointName("Gun007", {"Gun007"}), "Gun008");
  EXPECT_EQ(DuplicateHardpointName("a12345678901", {}), "a123456789012");
  EXPECT_EQ(DuplicateHardpointName("bad\"name", {"Hardpoint1"}), "Hardpoint2");
}
