// The drawing's context menu in the real window: a right click opens it, a
// level reloads the file at that level, the fit fills the sphere's boxes, and
// a saved picture is the headless picture of the same state.
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include <filesystem>
#include <sstream>

#include "editor/ModelSaveAs.h"
#include "editor/ScenePicture.h"
#include "editor/SphereFit.h"
#include "gl/gltools.h"
#include "interchange/MeshImport.h"
#include "interchange/ModelExport.h"
#include "model/SampleTextures.h"
#include "model/SphereFile.h"
#include "runtime/NumberFormat.h"
#include "tests/app/FormFixture.h"

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

  // Right-clicks the drawing through the window system's own path (which
  // makes the context-menu event) and hands the open menu to Act; false when
  // no menu opened.
  bool RightClick(const std::function<void(QMenu*)>& Act) {
    bool Opened = false;
    QTimer Poll;
    QObject::connect(&Poll, &QTimer::timeout, [&] {
      auto* Menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!Menu) return;
      Poll.stop();
      Opened = true;
      Act(Menu);
      Menu->close();
    });
    Poll.start(20);
    const QPoint AwayFromPanels(Form->GLView->width() * 3 / 4, Form->GLView->height() * 3 / 4);
    QTest::mouseClick(Form->windowHandle(), Qt::RightButton, {}, AwayFromPanels);
    WaitUntil([&] { return Opened && !QApplication::activePopupWidget(); }, 3000);
    return Opened;
  }
  int32_t FacesShown() { return Form->Document.Model()->Mesh().FaceCount; }
};

TEST_F(ContextMenuTest, LevelChosenReloadsThatLevelAndStaysUntilAnotherFile) {
  Open(File);
  std::vector<std::string> Levels;
  std::string Checked;
  ASSERT_TRUE(RightClick([&](QMenu* Menu) {
    QMenu* LevelMenu = Item(Menu, "Level of Detail")->menu();
    if (qEnvironmentVariableIsSet("QUELBIR_SHOTS")) {  // the README's picture, levels open
      Menu->setActiveAction(Item(Menu, "Level of Detail"));
      WaitUntil([&] { return LevelMenu->isVisible(); }, 2000);
      QTest::qWait(300);  // painted, not only shown
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
  EXPECT_EQ(Levels, (std::vector<std::string>{"0000", "0001", "0002"}));
  EXPECT_EQ(Checked, "0001");
  EXPECT_EQ(FacesShown(), int32_t(SampleCraftMesh(0).Faces.size()));
  EXPECT_EQ(Form->lbHards->Count(), int(SampleCraftHardpoints().size()));
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
  // Only Import Mesh... makes a model where none is shown.
  for (QAction* A : Empty->actions()) {
    if (!A->isSeparator()) {
      EXPECT_EQ(A->isEnabled(), A->text() == "Import Mesh...") << A->text().toStdString();
    }
  }
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
  const TFittedSphere Fit = FitModelSphere(File, std::nullopt);
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{FormatFixed3(Fit.Center[0]), FormatFixed3(Fit.Center[1]),
                                                     FormatFixed3(Fit.Center[2]), FormatFixed3(Fit.Radius)}));
  EXPECT_EQ(ReadFileBytes(File), Before);
  QTest::mouseClick(Form->Button2, Qt::LeftButton);
  float Center[3], Diameter;
  bool Tree;
  ReadSphere(File, Center, Diameter, Tree);
  EXPECT_EQ(Diameter, Fit.Radius);  // exact, not the box's three decimals
  EXPECT_EQ(Center[2], Fit.Center[2]);

  std::filesystem::remove(File);  // an error goes to the window's one report
  RightClick([](QMenu* Menu) { Item(Menu, "Fit Sphere to Model")->trigger(); });
  EXPECT_EQ(Services.Messages, (std::vector<std::string>{"Cannot open file " + File}));
}

TEST_F(ContextMenuTest, SavedPictureIsWhatRenderPaintsForTheSameState) {
  Open(File);
  Form->cbView->setCurrentIndex(1);
  Form->edScale->setText("140");
  Form->chkHideSphere->setChecked(false);
  Form->ShowNamesClick();
  const std::string Png = Dir.File("picture.png");
  Services.SaveAnswers.push_back(Png);
  ASSERT_TRUE(RightClick([](QMenu* Menu) { Item(Menu, "Save Picture...")->trigger(); }));
  ASSERT_EQ(Services.SaveQuestions.size(), 1u);
  EXPECT_EQ(Services.SaveQuestions[0].Filter, "PNG Pictures (*.png)|*.png");
  if (NoHeadlessGL()) GTEST_SKIP() << Services.Messages[0];
  ASSERT_TRUE(Services.Messages.empty()) << Services.Messages[0];
  // quelbir-cli render --view "Top View" --zoom 140 --sphere --names at the drawing's size
  TPictureRequest Request;
  Request.ModelFile = File;
  Request.Layout = 1;
  Request.Scale = ZoomScale(140);
  Request.ShowSphere = true;
  Request.ShowNames = true;
  Request.Width = Form->GLView->width();
  Request.Height = Form->GLView->height();
  RenderBesideTheWindow(Request, Dir.File("render.png"));
  EXPECT_EQ(ReadFileBytes(Png), ReadFileBytes(Dir.File("render.png")));
  const int Painted = Form->PaintCount();  // the window draws on afterwards
  Form->chkHideSphere->setChecked(true);
  EXPECT_TRUE(WaitUntil([&] { return Form->PaintCount() > Painted; }));
}

TEST_F(ContextMenuTest, ShowNamesIsATickOffAtStartAndThePointerIsFollowedWithoutAButton) {
  Open(File);
  QAction* Names = nullptr;
  bool Checkable = false, Ticked = true;
  ASSERT_TRUE(RightClick([&](QMenu* Menu) {
    Names = Item(Menu, "Show Names");
    if (Names == nullptr) return;
    Checkable = Names->isCheckable(), Ticked = Names->isChecked();
    Names->trigger();
  }));
  ASSERT_NE(Names, nullptr);
  EXPECT_TRUE(Checkable);
  EXPECT_FALSE(Ticked);
  EXPECT_TRUE(Form->SceneState().ShowNames);
  std::unique_ptr<QMenu> Menu(Form->DrawingMenu());
  EXPECT_TRUE(Item(Menu.get(), "Show Names")->isChecked());
  Item(Menu.get(), "Show Names")->trigger();
  EXPECT_FALSE(Form->SceneState().ShowNames);

  // The window system sends moves without a button only to a widget that
  // tracks the mouse; leaving the drawing forgets the pointer.
  EXPECT_TRUE(Form->GLView->hasMouseTracking());
  const qreal Ratio = Form->GLView->devicePixelRatioF();
  QMouseEvent Move(QEvent::MouseMove, QPointF(40, 30), Form->GLView->mapToGlobal(QPointF(40, 30)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(Form->GLView, &Move);
  ASSERT_TRUE(Form->SceneState().Pointer.has_value());
  EXPECT_EQ(*Form->SceneState().Pointer, (std::array<int, 2>{int(40 * Ratio), int(30 * Ratio)}));
  QEvent Leave(QEvent::Leave);
  QApplication::sendEvent(Form->GLView, &Leave);
  EXPECT_FALSE(Form->SceneState().Pointer.has_value());
}

TEST_F(ContextMenuTest, ExportWritesWhatTheExportCommandWritesForTheLevelShownWithItsTextures) {
  // The textures beside the model, where Textured finds them, but one.
  WriteSampleModelWithTextures(File, Dir.Path().string(), false);
  std::filesystem::remove(Dir.File("00000003.mat"));
  Open(File);
  Form->LevelOfDetailClick(0);
  const std::string Out = Dir.File("ship.glb");
  Services.SaveAnswers.push_back(Out);
  ASSERT_TRUE(RightClick([](QMenu* Menu) { Item(Menu, "Export...")->trigger(); }));
  ASSERT_EQ(Services.SaveQuestions.size(), 1u);
  EXPECT_EQ(Services.SaveQuestions[0].DefaultExt, ".glb");
  EXPECT_EQ(Services.Messages, std::vector<std::string>{});
  // quelbir-cli export --lod 0 --textures DIR, and what it says it left out.
  TExportOptions Level0;
  Level0.LOD = 0;
  Level0.TexturesDir = Dir.Path().string();
  std::ostringstream Warnings;
  ExportModel(File, Dir.File("command.glb"), Level0, Warnings);
  EXPECT_EQ(ReadFileBytes(Out), ReadFileBytes(Dir.File("command.glb")));
  std::string Said = Warnings.str();
  ASSERT_NE(Said.find("00000003.mat left out"), std::string::npos) << Said;
  Said.pop_back();
  EXPECT_EQ(Services.Information, std::vector<std::string>{Said});
}

TEST_F(ContextMenuTest, ALevelThatFailsToLoadLeavesTheLevelShownAndSaysWhy) {
  const std::string Levels = Dir.File("levels.iff");
  WriteLevels(Levels, {false, true}, {0, 0, 0, 1});
  Open(Levels);
  ASSERT_TRUE(Services.Messages.empty());
  ASSERT_EQ(Form->Document.Model()->Levels().LoadedIndex(), 1);
  const int32_t Faces = FacesShown();
  EXPECT_FALSE(Form->Handle([&] { Form->LevelOfDetailClick(0); }));
  ASSERT_EQ(Services.Messages.size(), 1u);                       // the loader's own message
  EXPECT_EQ(Form->Document.Model()->Levels().LoadedIndex(), 1);  // the tick stays
  EXPECT_EQ(Form->Document.Model()->Levels().Tags, (std::vector<std::string>{"0000", "0001"}));
  EXPECT_EQ(FacesShown(), Faces);
  EXPECT_EQ(Form->Document.Level(), 1);
  EXPECT_FALSE(Frame().isNull());
}

TEST_F(ContextMenuTest, TheChosenTypeDecidesTheExtensionAndAPictureMustBePng) {
  EXPECT_EQ(FilterExtension("Wavefront OBJ (*.obj)"), "obj");
  EXPECT_EQ(FilterExtension("glTF (*.gltf)"), "gltf");
  EXPECT_EQ(FilterExtension("All (*)"), "");
  // The real dialog: choose the third type, type a bare name.
  Open(File);
  TQtWindowServices Desktop;
  TSaveDialogOptions Options;
  Options.Filter = "glTF Binary (*.glb)|*.glb|glTF (*.gltf)|*.gltf|Wavefront OBJ (*.obj)|*.obj";
  Options.DefaultExt = ".glb";
  Options.InitialFolder = Dir.Path().string();
  bool Answered = false;
  QTimer Poll;
  QObject::connect(&Poll, &QTimer::timeout, [&] {
    auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!Dialog) return;
    Poll.stop();
    auto* Types = Dialog->findChild<QComboBox*>("fileTypeCombo");
    auto* Name = Dialog->findChild<QLineEdit*>("fileNameEdit");
    if (Types && Name) {
      Answered = true;
      Types->setFocus();
      QTest::keyClick(Types, Qt::Key_Down);
      QTest::keyClick(Types, Qt::Key_Down);
      Name->setText("ship");
    }
    QMetaObject::invokeMethod(Dialog, "accept", Qt::QueuedConnection);
  });
  Poll.start(20);
  const std::optional<std::string> Chosen = Desktop.SaveFile(Form.get(), Options);
  if (!Answered) GTEST_SKIP() << "the desktop's own file dialog cannot be driven here";
  EXPECT_EQ(Chosen, std::optional<std::string>(Dir.File("ship.obj")));

  Services.SaveAnswers.push_back(Dir.File("pic.jpg"));
  ASSERT_TRUE(RightClick([](QMenu* Menu) { Item(Menu, "Save Picture...")->trigger(); }));
  EXPECT_EQ(Services.Messages,
            std::vector<std::string>{"A picture is saved as PNG: its name must end in .png (pic.jpg)"});
  EXPECT_FALSE(std::filesystem::exists(Dir.File("pic.jpg")));
}

TEST_F(ContextMenuTest, AClickGivesTheDrawingTheKeyboardAndItsMenuKeysOpenTheMenu) {
  Open(File);
  Form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
  Form->edScale->setFocus();
  QTest::mouseClick(Form->GLView, Qt::LeftButton, {}, QPoint(Form->GLView->width() * 3 / 4, 300));
  EXPECT_EQ(QApplication::focusWidget(), Form->GLView);
  EXPECT_EQ(Form->GLView->focusPolicy(), Qt::ClickFocus);  // not in the tab order
  for (auto [Key, Keys] : {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()},
                           std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
    QString Opened;
    QTimer::singleShot(50, [&] {
      if (auto* Menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        Opened = Menu->objectName();
        Menu->close();
      }
    });
    QTest::keyClick(Form->GLView, Key, Keys);
    WaitUntil([&] { return !Opened.isEmpty(); }, 2000);
    EXPECT_EQ(Opened, "DrawingMenu") << Key;
  }
}

TEST_F(ContextMenuTest, TheSameFileSpelledOtherwiseKeepsItsLevel) {
  Open(File);
  Form->Handle([&] { Form->LevelOfDetailClick(0); });
  const std::filesystem::path Was = std::filesystem::current_path();
  std::filesystem::current_path(Dir.Path());
  LoadThroughDialog("sample.iff");
  std::filesystem::current_path(Was);
  EXPECT_EQ(Form->Document.Model()->Levels().LoadedIndex(), 0);
  EXPECT_EQ(FacesShown(), int32_t(SampleCraftMesh(0).Faces.size()));
}

TEST_F(ContextMenuTest, DialogsStartInTheModelsFolderThenInTheLastOneOfTheirKind) {
  Open();
  QTest::mouseClick(Form->Button1, Qt::LeftButton);  // no model, no choice yet: the working folder
  EXPECT_EQ(Services.OpenQuestions.back().InitialFolder, "");
  Form->close();
  Open(File);  // from the command line
  Services.SaveAnswers.push_back(Dir.File("out/ship.glb"));
  std::filesystem::create_directory(Dir.File("out"));
  Form->Handle([&] { Form->ExportClick(); });
  EXPECT_EQ(Services.SaveQuestions.back().InitialFolder, Dir.Path().string());  // the model's
  Form->Handle([&] { Form->ExportClick(); });
  EXPECT_EQ(Services.SaveQuestions.back().InitialFolder, Dir.File("out"));  // the last export's
  Form->Handle([&] { Form->SavePictureClick(); });
  EXPECT_EQ(Services.SaveQuestions.back().InitialFolder, Dir.Path().string());  // no picture yet: the model's
  QTest::mouseClick(Form->Button1, Qt::LeftButton);
  EXPECT_EQ(Services.OpenQuestions.back().InitialFolder, Dir.Path().string());
}

TEST_F(ContextMenuTest, NeitherPictureNorExportIsWrittenIntoTheModelFile) {
  Open(File);
  const std::vector<uint8_t> Before = ReadFileBytes(File);
  std::filesystem::create_hard_link(File, Dir.File("same.glb"));
  std::filesystem::create_symlink(File, Dir.File("same.png"));
  Services.SaveAnswers.push_back(Dir.File("same.png"));
  ASSERT_TRUE(RightClick([](QMenu* Menu) { Item(Menu, "Save Picture...")->trigger(); }));
  Services.SaveAnswers.push_back(Dir.File("same.glb"));
  ASSERT_TRUE(RightClick([](QMenu* Menu) { Item(Menu, "Export...")->trigger(); }));
  EXPECT_EQ(Services.Messages,
            (std::vector<std::string>{Dir.File("same.png") + " is the model file itself; choose another name",
                                      Dir.File("same.glb") + " is the model file itself; choose another name"}));
  EXPECT_EQ(ReadFileBytes(File), Before);
}

}  // namespace

// Import Mesh... opens a mesh as a new model: its caption says so, the
// import's notes are shown once, and Save asks for a file, which the window
// then shows.
TEST_F(ContextMenuTest, ImportMeshOpensANewModelThatSaveGivesAFile) {
  const std::string Mesh = Dir.File("ship.obj");
  std::ofstream(Mesh) << "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n";
  std::ostringstream Notes;
  ImportMesh(Mesh, {}, Notes);
  std::string Said = Notes.str();
  while (!Said.empty() && Said.back() == '\n') Said.pop_back();
  Open();
  Services.OpenAnswers.push_back(Mesh);
  ASSERT_TRUE(RightClick([](QMenu* Menu) { Item(Menu, "Import Mesh...")->trigger(); }));
  EXPECT_EQ(Caption(), "QUELBIR Editor [ship.obj (new model, not saved) [0000]]");
  EXPECT_EQ(Services.Information, Said.empty() ? std::vector<std::string>{} : std::vector<std::string>{Said});
  EXPECT_EQ(FacesShown(), 1);
  ASSERT_TRUE(Form->Button2->isEnabled());

  const std::string Saved = Dir.File("ship.iff");
  Services.SaveAnswers.push_back(Saved);
  QTest::mouseClick(Form->Button2, Qt::LeftButton);
  EXPECT_TRUE(Services.Messages.empty());
  EXPECT_TRUE(Services.Questions.empty());
  EXPECT_EQ(Form->Document.FileName(), Saved);
  EXPECT_EQ(Caption(), "QUELBIR Editor [ship.iff [0000]]");
  EXPECT_EQ(Services.Information.back(), SavedModelMessage(Saved, true));
}
