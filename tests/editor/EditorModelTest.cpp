// The model as the editor loads it.
#include <gtest/gtest.h>

#include "model/EditorModel.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"
#include "tests/support/TempDir.h"

TEST(EditorModel, LoadsLevelOneAsOutlinesWithItsFitAlreadyKnown) {
  TempDir Dir;
  const std::string File = Dir.File("craft.iff");
  WriteSampleModel(File);
  TZorvObject Model(TDisplayListPolicy::None);
  std::vector<std::string> Log;
  Model.OnLog = [&Log](T3DObject&, const std::string& Msg) { Log.push_back(Msg); };
  SetUpEditorModel(Model, File);
  EXPECT_NE(std::find(Log.begin(), Log.end(), "load LOD: 0001"), Log.end());
  EXPECT_TRUE(Model.Wireframe());
  EXPECT_FALSE(Model.Textured());
  EXPECT_FALSE(Model.UseList());
  EXPECT_TRUE(Model.KeepData());
  EXPECT_EQ(Model.FitSize(), 0.4f);
  // Before anything is drawn, Scale already fits the largest extent to 0.8.
  float Largest = 0;
  Model.GetMaxSize(Largest);
  EXPECT_FLOAT_EQ(Model.Scale() * Largest, 0.8f);
}

TEST(EditorModel, AFailedLoadLeavesTheModelWithWhatItRead) {
  TempDir Dir;
  const std::string File = Dir.File("empty.iff");
  WriteFileBytes(File, {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'D', 'E', 'T', 'A'});
  TZorvObject Model(TDisplayListPolicy::None);
  EXPECT_THROW(SetUpEditorModel(Model, File), Exception);
  EXPECT_EQ(Model.FileName(), File);
  EXPECT_EQ(Model.FitSize(), 0.0f);  // the steps after the load did not run
  EXPECT_EQ(Model.Scale(), 0.0f);
}

TEST(EditorModel, CaptionShowsTheFileNameInLowerCaseWithoutItsFolder) {
  EXPECT_EQ(EditorCaption("/Data/Ships/FIGHTER_Mk2.IFF"), "QUELBIR Editor [fighter_mk2.iff]");
  EXPECT_EQ(EditorCaption("relative.iff"), "QUELBIR Editor [relative.iff]");
  EXPECT_EQ(EditorCaption("/x/Ship.iff", true, "0001"), "QUELBIR Editor [*ship.iff [0001]]");
  // Only A to Z change; other bytes (8-bit or UTF-8 letters) stay as they are.
  EXPECT_EQ(EditorCaption("/x/\xC4\xD6Z.iff"), "QUELBIR Editor [\xC4\xD6z.iff]");
}
