// The window as it opens: its controls where the layout puts them, their
// texts, colours, tab order and access keys.
#include <QFontInfo>

#include "tests/app/FormFixture.h"

namespace {

struct TPlace {
  QWidget* Control;
  QWidget* Parent;
  QRect Geometry;
};

TEST_F(FormTest, EveryControlSitsInItsPanelAtItsPlace) {
  Open();
  TForm1& F = *Form;
  const std::vector<TPlace> Places = {
      {F.Panel2, &F, {8, 8, 153, 41}},
      {F.Button1, F.Panel2, {8, 8, 75, 25}},
      {F.Button2, F.Panel2, {88, 8, 57, 25}},
      {F.Panel4, &F, {8, 56, 153, 65}},
      {F.Label5, F.Panel4, {8, 13, 30, 13}},
      {F.edScale, F.Panel4, {56, 8, 73, 21}},
      {F.UpDown1, F.Panel4, {129, 8, 15, 21}},
      {F.Label6, F.Panel4, {8, 36, 26, 13}},
      {F.cbView, F.Panel4, {56, 32, 89, 21}},
      {F.Panel1, &F, {8, 128, 153, 137}},
      {F.Label3, F.Panel1, {8, 8, 60, 13}},
      {F.chkHideSphere, F.Panel1, {96, 8, 49, 17}},
      {F.Label1, F.Panel1, {8, 24, 40, 13}},
      {F.EditPosX, F.Panel1, {8, 40, 41, 13}},
      {F.EditPosY, F.Panel1, {56, 40, 41, 13}},
      {F.EditPosZ, F.Panel1, {104, 40, 41, 13}},
      {F.Label2, F.Panel1, {8, 72, 45, 13}},
      {F.EditDiameter, F.Panel1, {8, 88, 41, 13}},
      {F.CheckBoxTree, F.Panel1, {8, 112, 97, 17}},
      {F.Panel3, &F, {168, 8, 185, 225}},
      {F.Label4, F.Panel3, {8, 8, 54, 13}},
      {F.lbHards, F.Panel3, {8, 24, 169, 81}},
      {F.Button3, F.Panel3, {8, 112, 13, 17}},
      {F.Button4, F.Panel3, {8, 128, 13, 17}},
      {F.Button5, F.Panel3, {8, 144, 13, 17}},
      {F.Button6, F.Panel3, {8, 160, 13, 17}},
      {F.Button7, F.Panel3, {8, 192, 169, 25}},
  };
  for (const TPlace& P : Places) {
    const std::string Name = P.Control->objectName().toStdString();
    EXPECT_EQ(P.Control->parentWidget(), P.Parent) << Name;
    if (qobject_cast<QLabel*>(P.Control)) {
      // A label sizes itself to its caption: never narrower than laid out.
      EXPECT_EQ(P.Control->pos(), P.Geometry.topLeft()) << Name;
      EXPECT_EQ(P.Control->height(), P.Geometry.height()) << Name;
      EXPECT_GE(P.Control->width(), P.Geometry.width()) << Name;
      EXPECT_GE(P.Control->width(), P.Control->sizeHint().width()) << Name;
    } else {
      EXPECT_EQ(P.Control->geometry(), P.Geometry) << Name;
    }
  }
  for (int I = 0; I < 16; ++I) {
    EXPECT_EQ(F.edH[I]->parentWidget(), F.Panel3);
    EXPECT_EQ(F.edH[I]->geometry(), QRect(24 + 40 * (I % 4), 112 + 16 * (I / 4), 33, 13)) << "edH" << I + 1;
  }
  // The drawing covers the whole client area, under the panels.
  EXPECT_EQ(F.GLView->geometry(), F.rect());
  EXPECT_EQ(F.size(), QSize(EditorClientWidth, EditorClientHeight));
  EXPECT_LT(F.children().indexOf(F.GLView), F.children().indexOf(F.Panel2));
}

TEST_F(FormTest, TheEmptyWindowStartsAsLaidOutAndGetsItsZoomWhenShown) {
  Services.CommandLineArgument = "";
  Form = std::make_unique<TForm1>(Services);
  // Before the window shows, the up/down control has written nothing yet.
  EXPECT_EQ(Form->View.Scale, 0.0f);
  Form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  TForm1& F = *Form;
  EXPECT_EQ(F.UpDown1->Position(), 100);
  EXPECT_EQ(F.edScale->text(), "100");
  EXPECT_EQ(F.View.Scale, 1.0f);
  EXPECT_EQ(Caption(), "QUELBIR Editor");
  EXPECT_FALSE(F.Button2->isEnabled());
  EXPECT_EQ(F.cbView->currentText(), "3-Views");
  EXPECT_FALSE(F.cbView->isEditable());
  EXPECT_TRUE(F.chkHideSphere->isChecked());
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{"0.000", "0.000", "0.000", "0.000"}));
  EXPECT_EQ(F.GridTexts(), IdentityGridTexts());
  EXPECT_TRUE(F.Timer1->isActive());
  EXPECT_EQ(F.Timer1->interval(), 200);
  EXPECT_EQ(QFontInfo(F.font()).pointSize(), 8);
}

TEST_F(FormTest, TabOrderRunsPanel1ThenPanel2ThenPanel3ThenPanel4) {
  Open(StandardModel());  // "&Save" enabled
  TForm1& F = *Form;
  std::vector<QWidget*> Expected = {F.EditPosX,      F.EditPosY, F.EditPosZ, F.EditDiameter,
                                    F.chkHideSphere, F.Button1,  F.Button2,  F.lbHards};
  for (auto* Box : F.edH) Expected.push_back(Box);
  for (QWidget* W : {(QWidget*)F.Button3, (QWidget*)F.Button4, (QWidget*)F.Button5, (QWidget*)F.Button6,
                     (QWidget*)F.Button7, (QWidget*)F.edScale, (QWidget*)F.cbView})
    Expected.push_back(W);
  // The disabled "tree present" box keeps its place but takes no focus.
  EXPECT_EQ(F.EditDiameter->nextInFocusChain(), F.CheckBoxTree);
  std::vector<QWidget*> Walked;
  QWidget* W = F.EditPosX;
  for (size_t I = 0; I < Expected.size(); ++I) {
    Walked.push_back(W);
    do W = W->nextInFocusChain();
    while (!(W->focusPolicy() & Qt::TabFocus) || !W->isEnabled());
  }
  EXPECT_EQ(Walked, Expected);
}

TEST_F(FormTest, AltLOpensTheLoadDialogWithItsOptionsAndAltSSavesOnceEnabled) {
  Open();
  Form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
  Form->EditPosX->setFocus();
  // An access key clicks its button the way a button shows a click: at once
  // pressed, released a moment later.
  QTest::keyClick(Form->EditPosX, Qt::Key_L, Qt::AltModifier);
  ASSERT_TRUE(WaitUntil([&] { return Services.OpenQuestions.size() == 1; }));
  const TOpenDialogOptions& O = Services.OpenQuestions[0];
  EXPECT_EQ(O.Filter, "IFF Files (*.iff)|*.iff");
  EXPECT_EQ(O.DefaultExt, ".iff");
  EXPECT_TRUE(O.HideReadOnly && O.PathMustExist && O.FileMustExist && O.NoReadOnlyReturn && O.EnableSizing);
  EXPECT_EQ(Form->Document.Model(), nullptr);  // cancelled: nothing happens

  const std::string File = StandardModel();
  Services.OpenAnswers.push_back(File);
  Form->EditPosX->setFocus();
  QTest::keyClick(Form->EditPosX, Qt::Key_L, Qt::AltModifier);
  ASSERT_TRUE(WaitUntil([&] { return Form->Document.Model() != nullptr; }));
  // Alt+S saves: the sphere edited in the fields reaches the file.
  SetSphereDiameter(7);
  Form->EditPosX->setFocus();
  QTest::keyClick(Form->EditPosX, Qt::Key_S, Qt::AltModifier);
  EXPECT_TRUE(WaitUntil([&] { return !Form->Document.SphereUnsaved(); }));
  EXPECT_EQ(Form->EditDiameter->text(), "7.000");
  EXPECT_EQ(Form->EditPosX->text(), "1.500");  // the keys typed nothing
  EXPECT_TRUE(Services.Messages.empty());
}

}  // namespace
