// The made levels as they are seen: each level's "3-Views" picture in Solid,
// the pixels any face covers, against level "0000"'s. The first made level
// agrees in 90% of the pixels either covers, the third in 80%, on the sample,
// Blender's monkey and a 100,000-face grid.
#include <gtest/gtest.h>

#include <unordered_map>

#include "check/ModelCheck.h"
#include "editor/Scene.h"
#include "editor/ScenePicture.h"
#include "levels/LevelMaking.h"
#include "levels/LevelsFile.h"
#include "model/SampleModel.h"
#include "tests/levels/LevelMeshes.h"
#include "tests/support/TempDir.h"

namespace {

// The pixels of the picture that are not its background (its most common
// colour): the model's faces, and the hardpoints drawn on every level.
std::vector<bool> Covered(const TFramePixels& Frame) {
  std::unordered_map<uint32_t, size_t> Counts;
  for (int Y = 0; Y < Frame.Height; ++Y)
    for (int X = 0; X < Frame.Width; ++X) ++Counts[Frame.At(X, Y)];
  uint32_t Background = 0;
  size_t Most = 0;
  for (const auto& [Colour, Count] : Counts)
    if (Count > Most) Most = Count, Background = Colour;
  std::vector<bool> Result;
  for (int Y = 0; Y < Frame.Height; ++Y)
    for (int X = 0; X < Frame.Width; ++X) Result.push_back(Frame.At(X, Y) != Background);
  return Result;
}

// Pixels both cover over pixels either covers.
double Agreement(const std::vector<bool>& A, const std::vector<bool>& B) {
  size_t Both = 0, Either = 0;
  for (size_t I = 0; I < A.size(); ++I) {
    Both += A[I] && B[I];
    Either += A[I] || B[I];
  }
  return Either ? double(Both) / double(Either) : 1;
}

class Silhouettes : public ::testing::Test {
protected:
  // Levels 0000 to 0003 made from Source's finest level, the file checked,
  // each made level's silhouette measured against "0000".
  void Measure(const std::string& Source) {
    TLevelOptions Options;
    Options.Levels = 4;
    std::vector<TModelMesh> Made;
    for (TMadeLevel& Level : MakeLevels(ReadFinestLevel(Source), Options)) Made.push_back(std::move(Level.Mesh));
    const std::string File = Dir.File("made.iff");
    WriteModelFileWithLevels(Source, File, Made);
    for (const TFinding& Finding : CheckModelFile(File))
      EXPECT_NE(Finding.Code->Severity, TSeverity::Error) << Finding.Message;

    TPictureRequest Request;
    Request.ModelFile = File;
    Request.Layout = FindViewLayout("3-Views");
    Request.Shading = TShading::Solid;
    std::vector<std::vector<bool>> Pictures;
    for (int Level = 0; Level < 4; ++Level) {
      Request.Level = Level;
      try {
        Pictures.push_back(Covered(RenderModelFrame(Request)));
      } catch (const Exception& E) {
        GTEST_SKIP() << E.Message();
      }
    }
    const double First = Agreement(Pictures[0], Pictures[1]), Third = Agreement(Pictures[0], Pictures[3]);
    RecordProperty("first", std::to_string(First));
    RecordProperty("third", std::to_string(Third));
    EXPECT_GE(First, 0.9) << Source;
    EXPECT_GE(Third, 0.8) << Source;
  }
  void MeasureMesh(const TModelMesh& Mesh) {
    const std::string Source = Dir.File("source.iff");
    const TModelSphere Sphere{{0, 0, 0}, 4, true};
    WriteLodModel(Source, {Mesh}, {}, &Sphere);
    Measure(Source);
  }
  TempDir Dir;
};

TEST_F(Silhouettes, OfTheSample) {
  WriteSampleModel(Dir.File("sample.iff"));
  Measure(Dir.File("sample.iff"));
}

// Blender starts in a few seconds; the monkey is subdivided once (1968 faces).
TEST_F(Silhouettes, OfBlendersMonkey) {
  const std::optional<TModelMesh> Monkey = BlenderMonkey(Dir, 1);
  if (!Monkey) GTEST_SKIP() << "Blender is not installed or could not make the monkey";
  MeasureMesh(*Monkey);
}

// 100,000 faces take the simplifier and the software renderer a few seconds.
TEST_F(Silhouettes, OfAHundredThousandFaceGrid) { MeasureMesh(WavyGrid(400, 250)); }

}  // namespace
