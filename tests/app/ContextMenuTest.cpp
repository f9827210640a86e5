// The drawing's context menu in the real window: a right click opens it, a
// level reloads the file at that level, the fit fills the sphere's boxes, and
// a saved picture is the headless picture of the same state.
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include <filesystem>

#include "editor/ScenePicture.h"
#include "editor/SphereFit.h"
#include "gl/PngPicture.h"
#include "gl/gltools.h"
#include "runtime/NumberFormat.h"
#include "tests/app/FormFixture.h"
#include "editor/SphereFile.h"

namespace {

QAction* Item(QMenu* Menu, const QString& Caption) {
  for (QAction* A : Menu->actions())
    if (A->text() == Caption) return A;
  return nullptr;
}

class ContextMenuTest : public FormTest {
protected:
  std::string File = Dir.File("sample.iff");
  void SetUp() override { WriteSampleModel(File); }

  // Right-clicks the middle of the drawing and, once the menu is open, hands
  // it to Act; the menu is closed afterwards. False when no menu opened.
  bool RightClick(const std::function<void(QMenu*)>& Act) {
    bool Opened = false;
    QTimer Poll;
    QObject::connect(&Poll, &QTimer::timeout, [&] {
      auto* Menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!Menu) return;
      Poll.stop();
      Opened = true;
      Act(Menu);
      if (QWidget* Open = QApplication::activePopupWidget()) Open->close();
      Menu->close();
    });
    Poll.start(20);
    // Away from the panels, which lie over the left and top of the drawing.
    const QPoint Middle(Form->GLView->width() * 3 / 4, Form->GLView->height() * 3 / 4);
    // Through the window system's own path, which turns a right click into
    // the context-menu event.
    QTest::mouseClick(Form->windowHandle(), Qt::RightButton, {}, Form->GLView->mapTo(Form.get(), Middle));
    WaitUntil([&] { return Opened && !QApplication::activePopupWidget(); }, 3000);
    return Opened;
  }

  int32_t FacesShown() { return Form->Model->Mesh().FaceCount; }
};

TEST_F(ContextMenuTest, LevelChosenReloadsThatLevelAndStaysUntilAnotherFile) {
  Open(File);
  ASSERT_EQ(FacesShown(), int32_t(SampleCraftMesh(1).Faces.size()));
  std::vector<std::string> Captions, Levels;
  std::string Checked;
  ASSERT_TRUE(RightClick([&](QMenu* Menu) {
    for (QAction* A : Menu->actions()) Captions.push_back(A->text().toStdString());
    QMenu* LevelMenu = Item(Menu, "Level of Detail")->menu();
    if (qEnvironmentVariableIsSet("QUELBIR_SHOTS")) {
      // The README's picture: the window with the menu and its levels open.
      Menu->setActiveAction(Item(Menu, "Level of Detail"));
      WaitUntil([&] { return LevelMenu->isVisible(); }, 2000);
      QTest::qWait(300);
      const QRect Area = Form->frameGeometry().united(Menu->geometry()).united(LevelMenu->geometry());
      QGuiApplication::primaryScreen()
          ->grabWindow(0, Area.x(), Area.y(), Area.width(), Area.height())
          .save(qEnvironmentVariable("QUELBIR_SHOTS") + "/context-menu.png");
    }
    for (QAction* A : LevelMenu->actions()) {
      Levels.push_back(A->text().toStdString());
      if (A->isChecked()) Checked = A->text().toStdString();
    }
    Item(LevelMenu, "0000")->trigger();
  }));
  EXPECT_EQ(Captions, (std::vector<std::string>{"Level of Detail", "Fit Sphere to Model", "Save Picture..."}));
  EXPECT_EQ(Levels, (std::vector<std::string>{"0000", "0001", "0002"}));
  EXPECT_EQ(Checked, "0001");
  // Reloaded as a load does: the most detailed mesh, caption, panels.
  EXPECT_EQ(FacesShown(), int32_t(SampleCraftMesh(0).Faces.size()));
  EXPECT_EQ(Caption(), "QUELBIR Editor [sample.iff]");
  EXPECT_EQ(Form->lbHards->Count(), int(SampleCraftHardpoints().size()));
  EXPECT_EQ(Form->lbHards->ItemIndex(), 0);
  EXPECT_EQ(Form->DrawingMenu()->findChild<QMenu*>("LevelMenu")->actions()[0]->isChecked(), true);

  QTest::mouseClick(Form->Button2, Qt::LeftButton);  // "&Save" reloads at the level shown
  EXPECT_EQ(FacesShown(), int32_t(SampleCraftMesh(0).Faces.size()));
  const std::string Other = Dir.File("other.iff");
  std::filesystem::copy_file(File, Other);
  LoadThroughDialog(Other);
  EXPECT_EQ(FacesShown(), int32_t(SampleCraftMesh(1).Faces.size()));
  EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(ContextMenuTest, ItemsNeedALoadedFileAndLevelsNeedALevelFile) {
  Open();
  std::unique_ptr<QMenu> Empty(Form->DrawingMenu());
  for (QAction* A : Empty->actions()) EXPECT_FALSE(A->isEnabled()) << A->text().toStdString();
  WriteSampleSingleMeshModel(File);
  Form->LoadMesh(File);
  std::unique_ptr<QMenu> Single(Form->DrawingMenu());
  EXPECT_FALSE(Item(Single.get(), "Level of Detail")->isEnabled());
  EXPECT_TRUE(Item(Single.get(), "Fit Sphere to Model")->isEnabled());
}

TEST_F(ContextMenuTest, FitFillsTheBoxesAndReachesTheFileOnlyThroughSave) {
  Open(File);
  const auto Before = ReadFileBytes(File);
  ASSERT_TRUE(RightClick([](QMenu* Menu) { Item(Menu, "Fit Sphere to Model")->trigger(); }));
  const TFittedSphere Fitted = FitModelSphere(File, std::nullopt);
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{FormatFixed3(Fitted.Center[0]), FormatFixed3(Fitted.Center[1]),
                                                     FormatFixed3(Fitted.Center[2]), FormatFixed3(Fitted.Radius)}));
  EXPECT_EQ(Form->SphereDiameter, Fitted.Radius);  // exact, not the box's three decimals
  EXPECT_EQ(ReadFileBytes(File), Before);
  QTest::mouseClick(Form->Button2, Qt::LeftButton);
  float Center[3], Diameter;
  bool Tree;
  ReadSphere(File, Center, Diameter, Tree);
  EXPECT_EQ(Diameter, Fitted.Radius);
  EXPECT_EQ(Center[2], Fitted.Center[2]);

  // An error goes to the window's one report.
  std::filesystem::remove(File);
  RightClick([](QMenu* Menu) { Item(Menu, "Fit Sphere to Model")->trigger(); });
  EXPECT_EQ(Services.Messages, (std::vector<std::string>{"Cannot open file " + File}));
}

TEST_F(ContextMenuTest, SavedPictureIsTheHeadlessPictureOfTheSameState) {
  Open(File);
  Form->cbView->setCurrentIndex(1);
  Form->edScale->setText("140");
  Form->chkHideSphere->setChecked(false);
  const std::string Png = Dir.File("picture.png");
  Services.SaveAnswers.push_back(Png);
  ASSERT_TRUE(RightClick([](QMenu* Menu) { Item(Menu, "Save Picture...")->trigger(); }));
  ASSERT_EQ(Services.SaveQuestions.size(), 1u);
  EXPECT_EQ(Services.SaveQuestions[0].Filter, "PNG Pictures (*.png)|*.png");
  if (!Services.Messages.empty() && Services.Messages[0].rfind("THeadlessGL: ", 0) == 0)
    GTEST_SKIP() << Services.Messages[0];
  ASSERT_TRUE(Services.Messages.empty()) << Services.Messages[0];
  TPictureRequest Request;  // what `quelbir-cli render --view "Top View" --zoom 140 --sphere` paints
  Request.ModelFile = File;
  Request.Layout = 1;
  Request.ZoomPercent = 140;
  Request.ShowSphere = true;
  Request.Width = Form->GLView->width();
  Request.Height = Form->GLView->height();
  const std::string Expected = Dir.File("expected.png");
  SlotBackend(0)->MakeCurrent(nullptr, nullptr);  // as the window lets go of its context to paint one
  RenderModelPicture(Request, Expected);
  ActivateRenderContext(0);
  EXPECT_EQ(ReadFileBytes(Png), ReadFileBytes(Expected));
  // The window draws on after the picture.
  const int Painted = Form->PaintCount();
  EXPECT_TRUE(WaitUntil([&] { return Form->PaintCount() > Painted; }));
}

}  // namespace
