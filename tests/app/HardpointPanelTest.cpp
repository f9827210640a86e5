// The hardpoint panel: the list, the grid's store-before-the-key rule, the
// "u" and "r" buttons with their failures, and the script on the clipboard.
#include <cmath>

#include "tests/app/FormFixture.h"
#include "tests/support/Rotation.h"

namespace {

std::array<float, 16> RotationY(float Degrees) {
  const float R = Degrees * 3.14159265358979f / 180, C = std::cos(R), S = std::sin(R);
  return {C, 0, -S, 0, 0, 1, 0, 0, S, 0, C, 0, 0, 0, 0, 1};
}

class HardpointPanelTest : public FormTest {
protected:
  void OpenWith(const std::vector<TSampleHardpoint>& Hardpoints) {
    const std::string File = Dir.File("hard.iff");
    WriteModel(File, AxisBoxesMesh(), Hardpoints, std::array<float, 4>{0, 0, 0, 1});
    Open(File);
  }
  const std::array<float, 16>& Stored(int Index = 0) { return Form->Document.Hardpoints()[size_t(Index)].Matrix; }
  std::vector<std::string> Row(int R) {
    return BoxTexts({Form->edH[4 * R], Form->edH[4 * R + 1], Form->edH[4 * R + 2], Form->edH[4 * R + 3]});
  }
};

TEST_F(HardpointPanelTest, SelectingShowsTheMatrixAndAKeyKeepsEveryValueNotRetyped) {
  auto M = Translation(0.12345f, 0, 0);
  OpenWith({Hardpoint("a", Translation(1, 2, 3)), Hardpoint("b", M)});
  // Choosing "b" with the mouse.
  const QRect Entry = Form->lbHards->visualItemRect(Form->lbHards->item(1));
  QTest::mouseClick(Form->lbHards->viewport(), Qt::LeftButton, {}, Entry.center());
  EXPECT_EQ(Form->Document.Selected(), 1);
  EXPECT_EQ(Form->edH[12]->text(), "0.123");
  // A key in another box stores its text as it stood before the key; the
  // values shown as they are stored keep their full precision.
  Form->edH[5]->setFocus();
  Form->edH[5]->end(false);
  QTest::keyClick(Form->edH[5], Qt::Key_Backspace);
  QTest::keyClick(Form->edH[5], Qt::Key_Backspace);
  EXPECT_EQ(Stored(1)[5], 1.0f);
  EXPECT_EQ(Stored(1)[12], 0.12345f);
  EXPECT_EQ(Form->edH[5]->text(), "1.0");
  // The keyboard selects too.
  Form->lbHards->setFocus();
  QTest::keyClick(Form->lbHards, Qt::Key_Up);
  EXPECT_EQ(Form->Document.Selected(), 0);
  EXPECT_EQ(Form->edH[14]->text(), "3.000");
  // Leaving the box took its last text into "b".
  EXPECT_EQ(Stored(1)[5], 1.0f);
  EXPECT_EQ(Stored(1)[12], 0.12345f);
}

TEST_F(HardpointPanelTest, EachKeyStoresTheTextAsItStoodBeforeThatKey) {
  OpenWith({Hardpoint("gun", Translation(0, 0, 0))});
  Retype(Form->edH[12], "2");
  // The digit's key press stored the old 0.000; the 2 is only in the box.
  EXPECT_EQ(Stored()[12], 0.0f);
  EXPECT_EQ(Form->edH[12]->text(), "2");
  PressEnter(Form->edH[12]);
  EXPECT_EQ(Stored()[12], 2.0f);
  // A grey box is stored like any other.
  Retype(Form->edH[3], "5");
  PressEnter(Form->edH[3]);
  EXPECT_EQ(Stored()[3], 5.0f);
  EXPECT_TRUE(Services.Messages.empty());
}

// A negative number typed key by key over a selected text: the "-" alone is
// no number yet, and neither the keys after it nor Backspace are refused.
TEST_F(HardpointPanelTest, ANumberTypedKeyByKeyIsRefusedOnlyWhenEnteredOrLeft) {
  OpenWith({Hardpoint("gun", Translation(4, 5, 6))});
  Form->activateWindow();  // focus moves between the boxes
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
  const auto Before = Stored();
  Retype(Form->edH[13], "-");
  TypeInto(Form->edH[13], "x");
  QTest::keyClick(Form->edH[13], Qt::Key_Backspace);
  TypeInto(Form->edH[13], "1");
  EXPECT_EQ(Form->edH[13]->text(), "-1");
  EXPECT_TRUE(Services.Messages.empty());
  EXPECT_EQ(Stored(), Before);
  EXPECT_FALSE(Form->Document.History().CanUndo());  // a store that changes nothing is no step
  PressEnter(Form->edH[13]);
  EXPECT_EQ(Stored()[13], -1.0f);
  EXPECT_EQ(Form->Document.History().UndoName(), "Hardpoint Edit");

  // Enter, or leaving the box, on a text that is no number says so; the
  // hardpoint keeps its values and the text stays to be mended.
  Retype(Form->edH[12], "-");
  PressEnter(Form->edH[12]);
  EXPECT_EQ(Services.Messages, std::vector<std::string>{"'-' is not a valid floating point value"});
  Form->edH[14]->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(Services.Messages.size(), 2u);
  EXPECT_EQ(Form->edH[12]->text(), "-");
  EXPECT_EQ(Stored()[12], 4.0f);
  // A number left without Enter is stored as Enter stores it; the box that
  // was no number keeps its value and is not named again.
  Retype(Form->edH[14], "-2.5");
  Form->edH[15]->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(Stored()[14], -2.5f);
  EXPECT_EQ(Stored()[12], 4.0f);
  EXPECT_EQ(Services.Messages.size(), 2u);
}

TEST_F(HardpointPanelTest, NormalisingARowWritesUnitLengthThenStores) {
  OpenWith({Hardpoint("gun", Translation(0, 0, 0))});
  Form->edH[0]->setText("3");
  Form->edH[1]->setText("0");
  Form->edH[2]->setText("4");
  Form->edH[3]->setText("2");
  QTest::mouseClick(Form->Button3, Qt::LeftButton);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"0.600", "0.000", "0.800", "2"}));
  EXPECT_EQ(Stored()[0], 0.6f);
  EXPECT_EQ(Stored()[2], 0.8f);
  EXPECT_EQ(Stored()[3], 2.0f);
  // Rows 2 and 3 have their own buttons; a unit row is only reformatted.
  Form->edH[4]->setText("0");
  Form->edH[5]->setText("1");
  Form->edH[6]->setText("-0");
  QTest::mouseClick(Form->Button4, Qt::LeftButton);
  EXPECT_EQ(Row(1), (std::vector<std::string>{"0.000", "1.000", "0.000", "0.000"}));
  Form->edH[8]->setText("0");
  Form->edH[9]->setText("0");
  Form->edH[10]->setText("-2");
  QTest::mouseClick(Form->Button5, Qt::LeftButton);
  EXPECT_EQ(Row(2), (std::vector<std::string>{"0.000", "0.000", "-1.000", "0.000"}));
  EXPECT_EQ(Stored()[10], -1.0f);
  EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(HardpointPanelTest, NormalisingFailuresChangeNothingOrKeepTheNewTexts) {
  OpenWith({Hardpoint("gun", Translation(1, 1, 1))});
  const auto Before = Stored();
  Form->edH[0]->setText("0");
  Form->edH[1]->setText("0");
  Form->edH[2]->setText("0");
  QTest::mouseClick(Form->Button3, Qt::LeftButton);
  EXPECT_EQ(Services.Messages.back(), "Invalid floating point operation");
  EXPECT_EQ(Row(0), (std::vector<std::string>{"0", "0", "0", "0.000"}));
  EXPECT_EQ(Stored(), Before);

  Form->edH[5]->setText("x");
  QTest::mouseClick(Form->Button4, Qt::LeftButton);
  EXPECT_EQ(Services.Messages.back(), "'x' is not a valid floating point value");

  // The row normalises, but the store then trips over another box.
  Form->edH[8]->setText("0");
  Form->edH[9]->setText("2");
  Form->edH[10]->setText("0");
  QTest::mouseClick(Form->Button5, Qt::LeftButton);
  EXPECT_EQ(Services.Messages.back(), "'x' is not a valid floating point value");
  EXPECT_EQ(Row(2)[1], "1.000");
  EXPECT_EQ(Stored(), Before);
  EXPECT_EQ(Services.Messages.size(), 3u);
}

TEST_F(HardpointPanelTest, NormalisingWithoutASelectionStillRewritesTheBoxes) {
  OpenWith({});
  Form->edH[0]->setText("0");
  Form->edH[1]->setText("3");
  Form->edH[2]->setText("4");
  QTest::mouseClick(Form->Button3, Qt::LeftButton);
  EXPECT_EQ(Row(0)[1], "0.600");
  EXPECT_EQ(Row(0)[2], "0.800");
  EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(HardpointPanelTest, RotationOffersTheStoredAnglesAndAcceptingThemKeepsTheMatrix) {
  // A combined rotation: accepting the three offered angles must give the
  // stored rotation back.
  std::array<float, 16> M = RotationZYX(20, 45, 30);
  M[12] = 7;
  OpenWith({Hardpoint("turret", M)});
  const TGridTexts Shown = Form->GridTexts();
  QTest::mouseClick(Form->Button6, Qt::LeftButton);
  ASSERT_EQ(Services.InputQuestions.size(), 3u);
  const char* Prompts[] = {"X Axis:", "Y Axis:", "Z Axis:"};
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(Services.InputQuestions[I].Caption, "Create Rotation");
    EXPECT_EQ(Services.InputQuestions[I].Prompt, Prompts[I]);
  }
  EXPECT_EQ(Services.InputQuestions[0].DefaultText, "20.00");
  EXPECT_EQ(Services.InputQuestions[1].DefaultText, "45.00");
  EXPECT_EQ(Services.InputQuestions[2].DefaultText, "30.00");
  EXPECT_EQ(Form->GridTexts(), Shown);
  EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(HardpointPanelTest, RotationBuildsTheAnsweredAnglesKeepingThePosition) {
  OpenWith({Hardpoint("gun", Translation(1, 2, 3))});
  Services.InputAnswers = {std::string("90"), std::nullopt, std::string(" 0 ")};
  QTest::mouseClick(Form->Button6, Qt::LeftButton);
  for (const auto& Q : Services.InputQuestions) EXPECT_EQ(Q.DefaultText, "0.00");
  EXPECT_EQ(Row(0), (std::vector<std::string>{"1.000", "0.000", "0.000", "0.000"}));
  EXPECT_EQ(Row(1), (std::vector<std::string>{"0.000", "0.000", "1.000", "0.000"}));
  EXPECT_EQ(Row(2), (std::vector<std::string>{"0.000", "-1.000", "0.000", "0.000"}));
  EXPECT_EQ(Row(3), (std::vector<std::string>{"1.000", "2.000", "3.000", "1.000"}));
  EXPECT_EQ(Stored()[6], 1.0f);
  EXPECT_EQ(Stored()[9], -1.0f);
  EXPECT_EQ(Stored()[13], 2.0f);

  // A hardpoint turned about Y alone offers just that angle.
  OpenWith({Hardpoint("gun", RotationY(30))});
  QTest::mouseClick(Form->Button6, Qt::LeftButton);
  ASSERT_EQ(Services.InputQuestions.size(), 6u);
  EXPECT_EQ(Services.InputQuestions[3].DefaultText, "0.00");
  EXPECT_EQ(Services.InputQuestions[4].DefaultText, "30.00");
  EXPECT_EQ(Services.InputQuestions[5].DefaultText, "0.00");
}

TEST_F(HardpointPanelTest, RotationFailuresLeaveGridAndHardpoint) {
  std::array<float, 16> NotARotation = Translation(0, 0, 0);
  NotARotation[2] = 2;
  OpenWith({Hardpoint("bent", NotARotation)});
  QTest::mouseClick(Form->Button6, Qt::LeftButton);
  EXPECT_EQ(Services.Messages, std::vector<std::string>{"Invalid floating point operation"});
  EXPECT_TRUE(Services.InputQuestions.empty());

  Form->edH[2]->setText("0");
  PressEnter(Form->edH[2]);  // stores 0 into e2: a rotation again
  const TGridTexts Fixed = Form->GridTexts();
  const auto Rotation = Stored();
  Services.InputAnswers = {std::string("ten")};
  QTest::mouseClick(Form->Button6, Qt::LeftButton);
  EXPECT_EQ(Services.Messages.back(), "'ten' is not a valid floating point value");
  EXPECT_EQ(Form->GridTexts(), Fixed);
  EXPECT_EQ(Stored(), Rotation);
}

TEST_F(HardpointPanelTest, TheScriptOnTheClipboardIsTheStoredHardpointsToTheByte) {
  OpenWith({Hardpoint("gun1", Translation(1.5f, -2, 0.25f))});
  // The last typed character is not yet stored, so it is not in the text.
  Retype(Form->edH[12], "8");
  QTest::mouseClick(Form->Button7, Qt::LeftButton);
  ASSERT_TRUE(Services.Clipboard.has_value());
  std::string Expected = "    FORM \"HARD\"\r\n    {\r\n      CHUNK \"HARD\"\r\n      {\r\n";
  for (const char* V :
       {"1.000", "0.000", "0.000", "1.500", "0.000", "1.000", "0.000", "-2.000", "0.000", "0.000", "1.000", "0.250"})
    Expected += std::string("        float ") + V + "\r\n";
  Expected += "        cstring \"gun1\"\r\n      }\r\n    }\r\n  }\r\n";
  EXPECT_EQ(*Services.Clipboard, Expected);
  EXPECT_EQ(Form->edH[12]->text(), "8");  // the button changed nothing else

  OpenWith({});
  QTest::mouseClick(Form->Button7, Qt::LeftButton);
  EXPECT_EQ(*Services.Clipboard, "    FORM \"HARD\"\r\n    {\r\n    }\r\n  }\r\n");
}

TEST_F(FormTest, CopyingWithoutAModelLeavesTheClipboardAlone) {
  Open();
  QTest::mouseClick(Form->Button7, Qt::LeftButton);
  EXPECT_FALSE(Services.Clipboard.has_value());
  EXPECT_TRUE(Services.Messages.empty());
}

}  // namespace

TEST_F(HardpointPanelTest, AClickThatPicksNoEntryKeepsTheSelectionAndLaterEditsReachIt) {
  OpenWith({Hardpoint("a", Translation(1, 2, 3)), Hardpoint("rotY30", RotationY(30))});
  QTest::mouseClick(Form->lbHards->viewport(), Qt::LeftButton, {},
                    Form->lbHards->visualItemRect(Form->lbHards->item(1)).center());
  // The blank part of the list: the second column, below its entries.
  QTest::mouseClick(Form->lbHards->viewport(), Qt::LeftButton, {},
                    QPoint(Form->lbHards->viewport()->width() * 3 / 4, Form->lbHards->viewport()->height() - 3));
  QTest::mouseClick(Form->lbHards->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    Form->lbHards->visualItemRect(Form->lbHards->item(1)).center());
  EXPECT_EQ(Form->lbHards->ItemIndex(), 1);
  Retype(Form->edH[12], "7");
  PressEnter(Form->edH[12]);
  EXPECT_EQ(Stored(1)[12], 7.0f);
}

TEST_F(HardpointPanelTest, TheListShowsAsManyRowsPerColumnAsItsHeightHolds) {
  std::vector<TSampleHardpoint> Many;
  for (int I = 0; I < 8; ++I) Many.push_back(Hardpoint("h" + std::to_string(I), Translation(float(I), 0, 0)));
  OpenWith(Many);
  // Five 13-pixel rows fit the 81-pixel box while no scroll bar is needed:
  // the fifth entry ends the first column, the sixth heads the second.
  const QRect First = Form->lbHards->visualItemRect(Form->lbHards->item(0));
  EXPECT_EQ(Form->lbHards->visualItemRect(Form->lbHards->item(4)).left(), First.left());
  EXPECT_EQ(Form->lbHards->visualItemRect(Form->lbHards->item(4)).top(), First.top() + 4 * 13);
  EXPECT_EQ(Form->lbHards->visualItemRect(Form->lbHards->item(5)).top(), First.top());
}

TEST_F(HardpointPanelTest, NumbersWiderThanTheirBoxShowFromTheirSign) {
  OpenWith({Hardpoint("far", Translation(-12.345f, -1000.5f, 0))});
  EXPECT_EQ(Form->edH[12]->text(), "-12.345");
  EXPECT_EQ(Form->edH[12]->cursorPosition(), 0);
  EXPECT_EQ(Form->edH[13]->cursorPosition(), 0);
}
