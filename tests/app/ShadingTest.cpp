// The display modes in the real window: the ticked mode draws the model, stays
// through level switches, saves and loads, is what a saved picture shows, and
// the textures that could not be drawn are said once.
#include <QMenu>

#include <cstdlib>
#include <filesystem>

#include "editor/ScenePicture.h"
#include "model/SampleTextures.h"
#include "tests/app/FormFixture.h"

namespace {

class ShadingTest : public FormTest {
protected:
  std::string File = Dir.File("sample.iff");
  void SetUp() override { WriteSampleModel(File); }

  // The menu as it opens now: the mode ticked, and the item Caption run.
  std::string TickedMode() {
    std::unique_ptr<QMenu> Menu(Form->DrawingMenu());
    std::string Ticked;
    for (QAction* A : Menu->actions())
      for (const char* Name : ShadingNames)
        if (A->text() == Name && A->isChecked()) Ticked += Name;
    return Ticked;
  }
  void Choose(const char* Caption) {
    std::unique_ptr<QMenu> Menu(Form->DrawingMenu());
    for (QAction* A : Menu->actions())
      if (A->text() == Caption) A->trigger();
  }
};

TEST_F(ShadingTest, TheTickedModeDrawsTheModelAndStaysThroughLevelsSavesAndLoads) {
  Open(File);
  EXPECT_EQ(TickedMode(), "Outlines");
  const QImage Outlines = Frame();
  Choose("Solid");
  EXPECT_EQ(TickedMode(), "Solid");
  EXPECT_NE(Frame(), Outlines);
  Form->LevelOfDetailClick(0);
  QTest::mouseClick(Form->Button2, Qt::LeftButton);  // "&Save" reloads
  Form->LoadMesh(File);
  EXPECT_EQ(TickedMode(), "Solid");
  EXPECT_EQ(Form->SceneState().Shading, TShading::Solid);
  Choose("Outlines");
  Form->LevelOfDetailClick(1);
  EXPECT_EQ(Frame(), Outlines);
  EXPECT_TRUE(Services.Messages.empty()) << Services.Messages[0];
}

TEST_F(ShadingTest, SavedPictureInSolidIsWhatRenderPaints) {
  Open(File);
  Choose("Solid");
  const std::string Png = Dir.File("picture.png");
  Services.SaveAnswers.push_back(Png);
  Choose("Save Picture...");
  if (NoHeadlessGL()) GTEST_SKIP() << Services.Messages[0];
  ASSERT_TRUE(Services.Messages.empty()) << Services.Messages[0];
  // quelbir-cli render --shading solid at the drawing's size
  TPictureRequest Request;
  Request.ModelFile = File;
  Request.Shading = TShading::Solid;
  Request.Width = Form->GLView->width();
  Request.Height = Form->GLView->height();
  RenderBesideTheWindow(Request, Dir.File("render.png"));
  EXPECT_EQ(ReadFileBytes(Png), ReadFileBytes(Dir.File("render.png")));
}

TEST_F(ShadingTest, TexturedIsWhatRenderPaintsThroughResizesLevelsAndModes) {
  WriteSampleModelWithTextures(File, ModelFolder(File), false);
  Open(File);
  // quelbir-cli render --shading textured at the drawing's size, of the
  // level shown, beside the window.
  auto SameAsRender = [&](const QImage& Shown, int LOD) {
    TPictureRequest Request;
    Request.ModelFile = File;
    Request.Shading = TShading::Textured;
    Request.Width = Form->GLView->width();
    Request.Height = Form->GLView->height();
    Request.Level = LOD;
    SlotBackend(0)->MakeCurrent(nullptr, nullptr);
    const TFramePixels Render = RenderModelFrame(Request);
    ActivateRenderContext(0);
    const QImage Rgb = Shown.convertToFormat(QImage::Format_RGB32);
    if (Rgb.width() != Render.Width || Rgb.height() != Render.Height) return false;
    // Within one step per channel: the window's context and the headless
    // one may round a filtered texel the other way at a few pixels.
    auto Near = [](QRgb A, uint32_t B) {
      for (int Shift = 0; Shift < 24; Shift += 8)
        if (std::abs(int((A >> Shift) & 0xFF) - int((B >> Shift) & 0xFF)) > 1) return false;
      return true;
    };
    for (int Y = 0; Y < Rgb.height(); ++Y)
      for (int X = 0; X < Rgb.width(); ++X)
        if (!Near(Rgb.pixel(X, Y), Render.At(X, Y))) return false;
    return true;
  };
  // A picture kept in Outlines first: its texture and the model's live in
  // one context.
  const QImage Outlines = Frame();
  Choose("Textured");
  EXPECT_TRUE(SameAsRender(Frame(), 1)) << "textured";
  Choose("Outlines");
  EXPECT_EQ(Frame(), Outlines) << "outlines again";
  Choose("Textured");
  Form->resize(Form->width() + 64, Form->height() + 48);
  EXPECT_TRUE(WaitUntil([&] { return Form->GLView->width() == Outlines.width() + 64; }));
  EXPECT_TRUE(SameAsRender(Frame(), 1)) << "resized";
  Form->LevelOfDetailClick(0);
  EXPECT_TRUE(SameAsRender(Frame(), 0)) << "level 0";
  Choose("Solid");
  Choose("Textured");
  EXPECT_TRUE(SameAsRender(Frame(), 0)) << "after Solid";
  QTest::qWait(50);
  EXPECT_TRUE(Services.Information.empty()) << Services.Information[0];
  EXPECT_TRUE(Services.Messages.empty()) << Services.Messages[0];
}

TEST_F(ShadingTest, MissingTexturesAreSaidOncePerLoadAndTheChosenFolderFindsThem) {
  const std::string Textures = Dir.File("textures");
  WriteSampleModelWithTextures(File, Textures, false);
  Open(File);
  Choose("Textured");
  const std::string Note =
      "Textures not found in " + ModelFolder(File) + ", drawn in grey: 00000001, 00000002, 00000003, 00000004";
  EXPECT_TRUE(WaitUntil([&] { return !Services.Information.empty(); }));
  for (int Paint = 0; Paint < 3; ++Paint) Form->Paint();
  QTest::qWait(50);
  EXPECT_EQ(Services.Information, (std::vector<std::string>{Note}));
  Form->LoadMesh(File);
  Form->Paint();
  EXPECT_TRUE(WaitUntil([&] { return Services.Information.size() == 2; }));

  Services.FolderAnswers.push_back(Textures);
  const QImage Grey = Frame();
  Choose("Textures Folder...");
  EXPECT_EQ(Services.FolderQuestions, (std::vector<std::string>{ModelFolder(File)}));
  EXPECT_NE(Frame(), Grey);
  QTest::qWait(50);
  EXPECT_EQ(Services.Information.size(), 2u);
  EXPECT_TRUE(Services.Messages.empty()) << Services.Messages[0];
}

}  // namespace
