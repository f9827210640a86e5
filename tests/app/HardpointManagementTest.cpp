// The hardpoints as objects in the real window: its keys delete, duplicate
// and rename through the document's steps, and Save Model As writes the
// hardpoints and sphere shown into a new file while the open one stays.
#include <QMenu>

#include "editor/HardpointListEdits.h"
#include "editor/ModelSaveAs.h"
#include "model/HardpointName.h"
#include "tests/app/FormFixture.h"
#include "tests/support/IffBytes.h"

namespace {

class HardpointManagementTest : public FormTest {
protected:
  std::string File = StandardModel();
  void SetUp() override {
    Open(File);
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
  }
  void TriggerDrawingMenu(const std::string& Text, QPoint At = {}) {
    std::unique_ptr<QMenu> Menu(Form->DrawingMenu(At));
    for (QAction* Item : Menu->actions())
      if (Item->text().toStdString() == Text) Item->trigger();
  }
  void SaveModelAs(const std::string& Output) {
    Services.SaveAnswers = {Output};
    QTest::keyClick(Form->GLView, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  }
};

TEST_F(HardpointManagementTest, DeleteOnTheListIsOneStepThatUndoPutsBackExactly) {
  const std::vector<TDocumentHardpoint> Before = Form->Document.Hardpoints();
  Form->lbHards->setFocus();
  QTest::keyClick(Form->lbHards, Qt::Key_Delete);
  EXPECT_EQ(ListEntries(), std::vector<std::string>{"engine"});
  QTest::keyClick(Form->GLView, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Form->Document.Hardpoints(), Before);
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"gun1", "engine"}));
}

TEST_F(HardpointManagementTest, RenameRefusesWithTheRuleAndAsksBeforeASecondUseOfAName) {
  Services.InputAnswers = {std::string("bad\"name"), std::string("engine"), std::string("Nose")};
  Services.AskAnswers = {"Cancel"};
  QTest::keyClick(Form->GLView, Qt::Key_F2);
  ASSERT_EQ(Services.Messages.size(), 1u);
  EXPECT_EQ(Services.Messages[0], HardpointNameProblem("bad\"name"));
  QTest::keyClick(Form->GLView, Qt::Key_F2);
  EXPECT_EQ(Services.Questions.size(), 1u);
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"gun1", "engine"}));
  QTest::keyClick(Form->GLView, Qt::Key_F2);
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"Nose", "engine"}));
  EXPECT_EQ(Form->Document.History().UndoName(), "Rename Hardpoint");
}

TEST_F(HardpointManagementTest, SaveModelAsWritesWhatIsShownAndChangesNothingElse) {
  const std::vector<uint8_t> Source = ReadFileBytes(File);
  SetSphereDiameter(2.5f);
  // Hardpoints as in the file: the new file is the source but for the sphere's bytes.
  const std::string Same = Dir.File("same.iff");
  Services.SaveAnswers = {Same};
  QTest::keyClick(Form->GLView, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(Services.Information, std::vector<std::string>{SavedModelMessage(Same)});
  const std::vector<uint8_t> Written = ReadFileBytes(Same);
  ASSERT_EQ(Written.size(), Source.size());
  std::vector<size_t> Changed;
  for (size_t I = 0; I < Source.size(); ++I)
    if (Written[I] != Source[I]) Changed.push_back(I);
  ASSERT_FALSE(Changed.empty());
  EXPECT_LT(Changed.back() - Changed.front(), 16u);

  // A duplicate, then the file read back holds exactly what the window shows.
  QTest::keyClick(Form->GLView, Qt::Key_D, Qt::ControlModifier);
  const std::string Edited = Dir.File("edited.iff");
  Services.SaveAnswers = {Edited};
  TriggerDrawingMenu("Save Model As...");
  TModelDocument Back;
  Back.Load(Edited);
  ASSERT_EQ(Back.Hardpoints().size(), 3u);
  for (size_t I = 0; I < 3; ++I) {
    EXPECT_EQ(Back.Hardpoints()[I].Name, Form->Document.Hardpoints()[I].Name);
    EXPECT_EQ(Back.Hardpoints()[I].Matrix, Form->Document.Hardpoints()[I].Matrix);
  }
  EXPECT_EQ(Back.Hardpoints()[1].Name, "gun2");
  EXPECT_EQ(Back.Sphere(), Form->Document.Sphere());
  EXPECT_EQ(ReadFileBytes(File), Source);
  EXPECT_EQ(Form->Document.FileName(), File);
  EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(HardpointManagementTest, EveryListEditReachesTheNewFileExactlyAndNoOtherByteMoves) {
  const TBytes Source = ReadFileBytes(File);
  TriggerDrawingMenu("Add Hardpoint", QPoint(Form->GLView->width() / 3, Form->GLView->height() / 3));
  QTest::keyClick(Form->GLView, Qt::Key_D, Qt::ControlModifier);  // the added one, copied
  Form->Document.Select(0);
  Form->GLView->setFocus();
  QTest::keyClick(Form->GLView, Qt::Key_Delete);  // gun1
  Form->Document.Select(0);
  Services.InputAnswers = {std::string("Exhaust")};
  QTest::keyClick(Form->GLView, Qt::Key_F2);                        // engine
  Form->edH[13]->setText("-0.1234567"), PressEnter(Form->edH[13]);  // engine moved
  ASSERT_EQ(ListEntries(), (std::vector<std::string>{"Exhaust", "Hardpoint1", "Hardpoint2"}));

  const std::string Output = Dir.File("edited.iff");
  SaveModelAs(Output);
  TModelDocument Back;
  Back.Load(Output);
  ASSERT_EQ(ModelHardpoints(Back.Hardpoints()).size(), 3u);
  for (size_t I = 0; I < 3; ++I) {
    EXPECT_EQ(Back.Hardpoints()[I].Name, Form->Document.Hardpoints()[I].Name);
    EXPECT_EQ(Back.Hardpoints()[I].Matrix, Form->Document.Hardpoints()[I].Matrix);
  }
  EXPECT_EQ(Back.Hardpoints()[0].Matrix[13], -0.1234567f);
  EXPECT_EQ(WithoutForm(ReadFileBytes(Output), "HARD"), WithoutForm(Source, "HARD"));
  EXPECT_EQ(ReadFileBytes(File), Source);
}

}  // namespace
