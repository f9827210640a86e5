// A model file with made levels: only the level forms and the sizes around
// them change, the result loads and the check finds no error in it.
#include <gtest/gtest.h>

#include <algorithm>

#include "check/ModelCheck.h"
#include "iff/IffReader.h"
#include "levels/LevelMaking.h"
#include "levels/LevelsFile.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"
#include "runtime/OutputFiles.h"
#include "tests/levels/LevelMeshes.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<TModelMesh> Meshes(const std::vector<TMadeLevel>& Made) {
  std::vector<TModelMesh> Result;
  for (const TMadeLevel& Level : Made) Result.push_back(Level.Mesh);
  return Result;
}

int Errors(const std::string& File) {
  int Count = 0;
  for (const TFinding& Finding : CheckModelFile(File))
    if (Finding.Code->Severity == TSeverity::Error) ++Count;
  return Count;
}

TEST(LevelsFile, OnlyTheLevelFormsAndTheSizesAroundThemChange) {
  TempDir Dir;
  const std::string Source = Dir.File("sample.iff"), Output = Dir.File("new.iff");
  WriteSampleModel(Source);
  // The sample's own levels 0001 and 0002 make way for three made ones.
  std::vector<TModelMesh> Made = {WavyGrid(3, 3), WavyGrid(2, 2), WavyGrid(1, 1)};
  WriteModelFileWithLevels(Source, Output, Made);

  const std::vector<uint8_t> Old = ReadFileBytes(Source), New = ReadFileBytes(Output);
  TIffReader OldReader(Source, true), NewReader(Output, true);
  const TForm& OldLevels = *OldReader.Root()->Forms[0];
  const TForm& NewLevels = *NewReader.Root()->Forms[0];
  const TForm& OldFinest = *OldLevels.Forms[0];
  ASSERT_EQ(NewLevels.Forms.size(), 4u);
  // Up to the end of "0000", only the two sizes differ.
  const size_t FinestEnd = size_t(OldFinest.Offset + 8 + OldFinest.Size);
  const auto IsSize = [&](size_t I) {
    return (I >= 4 && I < 8) || (I >= size_t(OldLevels.Offset) + 4 && I < size_t(OldLevels.Offset) + 8);
  };
  for (size_t I = 0; I < FinestEnd; ++I)
    if (!IsSize(I)) {
      ASSERT_EQ(Old[I], New[I]) << I;
    }
  // After the container, everything (hardpoints, sphere) as it was.
  const size_t OldAfter = size_t(OldLevels.Offset + 8 + OldLevels.Size);
  const size_t NewAfter = size_t(NewLevels.Offset + 8 + NewLevels.Size);
  EXPECT_TRUE(
      std::equal(Old.begin() + std::ptrdiff_t(OldAfter), Old.end(), New.begin() + std::ptrdiff_t(NewAfter), New.end()));
  EXPECT_EQ(NewReader.Root()->Size, OldReader.Root()->Size + NewLevels.Size - OldLevels.Size);

  for (int32_t Level = 1; Level <= 3; ++Level) {
    TZorvObject Model(TDisplayListPolicy::None);
    Model.SetKeepData(true);
    Model.SetLOD(Level);
    Model.LoadFromFile(Output);
    EXPECT_EQ(Model.Levels().Tags, (std::vector<std::string>{"0000", "0001", "0002", "0003"}));
    EXPECT_EQ(size_t(Model.Mesh().FaceCount), Made[size_t(Level - 1)].Faces.size());
    EXPECT_EQ(Model.HardpointCount(), 5);
  }
  EXPECT_EQ(Errors(Output), 0);
}

TEST(LevelsFile, MadeLevelsOfTheSampleAndOfAGridPassTheCheck) {
  TempDir Dir;
  const std::string Sample = Dir.File("sample.iff"), Grid = Dir.File("grid.iff");
  WriteSampleModel(Sample);
  const TModelSphere Sphere{{0, 0, 0}, 4, true};
  WriteLodModel(Grid, {WavyGrid(30, 30, [](int Column) { return Column % 3; })}, {}, &Sphere);
  for (const std::string& Source : {Sample, Grid}) {
    TLevelOptions Options;
    Options.Levels = 4;
    const TModelMesh Finest = ReadFinestLevel(Source);
    WriteModelFileWithLevels(Source, Source + ".new", Meshes(MakeLevels(Finest, Options)));
    EXPECT_EQ(Errors(Source + ".new"), 0) << Source;
  }
}

TEST(LevelsFile, Refusals) {
  TempDir Dir;
  const std::string Single = Dir.File("single.iff"), Sample = Dir.File("sample.iff");
  WriteSampleSingleMeshModel(Single);
  WriteSampleModel(Sample);
  const auto Message = [](auto&& Work) -> std::string {
    try {
      Work();
    } catch (const Exception& E) {
      return E.Message();
    }
    return "";
  };
  EXPECT_EQ(Message([&] { ReadFinestLevel(Single); }),
            Single + " holds a single mesh and no levels of detail to add to");
  EXPECT_EQ(Message([&] { WriteModelFileWithLevels(Single, Dir.File("out.iff"), {}); }),
            Single + " holds a single mesh, without a level container; nothing was written!");
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out.iff")));
  EXPECT_EQ(Message([&] { WriteModelFileWithLevels(Sample, Sample, {}); }),
            Sample + " is the model file itself; choose another name");
  WriteFileBytes(Dir.File("nolevel.iff"), ReadFileBytes(Sample));
  // A container whose only level is not "0000".
  TModelSphere Sphere;
  std::vector<uint8_t> Bytes = LodModelBytes({WavyGrid(1, 1)}, {}, &Sphere);
  const std::string Tag = "0000";
  auto At = std::search(Bytes.begin(), Bytes.end(), Tag.begin(), Tag.end());
  *(At + 3) = 'x';
  WriteFileBytes(Dir.File("nolevel.iff"), Bytes);
  EXPECT_EQ(Message([&] { ModelFileWithLevels(Dir.File("nolevel.iff"), {}); }),
            Dir.File("nolevel.iff") + " has no level 0000; nothing was written!");
}

}  // namespace
