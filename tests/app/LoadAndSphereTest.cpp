// The load command and the collision sphere panel: what a load shows, what a
// load that fails part-way leaves, Enter in the sphere boxes, and Save.
#include <sys/stat.h>

#include <cstring>

#include "model/SphereFile.h"
#include "tests/app/FormFixture.h"

namespace {

std::vector<uint8_t> FloatBytes(std::initializer_list<float> Values) {
  std::vector<uint8_t> Bytes;
  for (float V : Values) {
    uint8_t B[4];
    std::memcpy(B, &V, 4);
    Bytes.insert(Bytes.end(), B, B + 4);
  }
  return Bytes;
}

// Where the sixteen sphere bytes start in File: right after "SPHR" and its
// size.
size_t SphereOffset(const std::vector<uint8_t>& File) {
  for (size_t I = 0; I + 8 <= File.size(); ++I)
    if (std::memcmp(&File[I], "SPHR", 4) == 0) return I + 8;
  return std::string::npos;
}

TEST_F(FormTest, ACommandLineModelIsLoadedBeforeTheWindowShows) {
  const std::string File = StandardModel("Fighter.IFF");
  Services.CommandLineArgument = File;
  Form = std::make_unique<TForm1>(Services);
  // Loaded by FormCreate, before show.
  ASSERT_NE(Form->Document.Model(), nullptr);
  EXPECT_EQ(Form->Document.FileName(), File);
  EXPECT_EQ(Caption(), "QUELBIR Editor [fighter.iff [0000]]");
  EXPECT_TRUE(Form->Button2->isEnabled());
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{"1.500", "0.000", "-2.250", "3.000"}));
  EXPECT_TRUE(Form->CheckBoxTree->isChecked());
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"gun1", "engine"}));
  EXPECT_EQ(Form->lbHards->ItemIndex(), 0);
  EXPECT_EQ(Form->Document.Selected(), 0);
  EXPECT_EQ(Form->edH[12]->text(), "1.500");
  EXPECT_EQ(Form->edH[13]->text(), "-2.000");
  EXPECT_EQ(Form->edH[14]->text(), "0.250");
  // The fit is known at load, so the first paint already draws the sphere
  // where the model is.
  EXPECT_NEAR(Form->Document.Model()->Scale(), 1.0f, 1e-5);
  EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(FormTest, ArgumentsThatNameNoFileAreIgnored) {
  Open(Dir.File("missing.iff"));
  EXPECT_EQ(Form->Document.Model(), nullptr);
  EXPECT_EQ(Caption(), "QUELBIR Editor");
  EXPECT_TRUE(Services.Messages.empty());
  // The dialog's answer too must exist; cancelling does nothing either.
  Services.OpenAnswers.push_back(Dir.File("gone.iff"));
  Services.OpenAnswers.push_back(std::nullopt);
  QTest::mouseClick(Form->Button1, Qt::LeftButton);
  QTest::mouseClick(Form->Button1, Qt::LeftButton);
  EXPECT_EQ(Form->Document.Model(), nullptr);
  EXPECT_FALSE(Form->Button2->isEnabled());
  EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(FormTest, WhatIsNotARegularFileIsRefusedAtOnceWithItsMessage) {
  const std::string Fifo = Dir.File("pipe.iff");
  ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
  Open(Fifo);  // as the command line names it
  EXPECT_EQ(Services.Messages, std::vector<std::string>{Fifo + " is not a regular file"});
  Services.Messages.clear();
  Services.OpenAnswers.push_back(Fifo);
  QTest::mouseClick(Form->Button1, Qt::LeftButton);
  EXPECT_EQ(Services.Messages, std::vector<std::string>{Fifo + " is not a regular file"});
}

TEST_F(FormTest, ASecondLoadReplacesEverythingButLayoutAndZoom) {
  Open(StandardModel());
  Form->cbView->setCurrentIndex(2);
  Form->edScale->setText("240");
  const std::string Second = Dir.File("second.iff");
  WriteModel(Second, AxisBoxesMesh(), {Hardpoint("nose", Translation(0, 0, 2))},
             std::array<float, 4>{0.25f, 0.5f, 0.75f, 1}, /*WithExtn=*/false);
  Form->lbHards->SetItemIndex(1);
  LoadThroughDialog(Second);
  EXPECT_EQ(Caption(), "QUELBIR Editor [second.iff [0000]]");
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{"0.250", "0.500", "0.750", "1.000"}));
  EXPECT_FALSE(Form->CheckBoxTree->isChecked());
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"nose"}));
  EXPECT_EQ(Form->lbHards->ItemIndex(), 0);
  EXPECT_EQ(Form->edH[14]->text(), "2.000");
  EXPECT_EQ(Form->cbView->currentIndex(), 2);
  EXPECT_EQ(Form->View.Scale, 2.4f);
}

// A load whose model fails leaves the window on the file shown (its name,
// model, sphere, hardpoints and history), and Save goes on writing that file.
TEST_F(FormTest, AModelThatFailsLeavesTheWindowWhollyOnTheFileShown) {
  const std::string First = StandardModel("first.iff");
  Open(First);
  const std::string Broken = Dir.File("broken.iff");
  WriteFileBytes(Broken, {'N', 'O', 'T', ' ', 'I', 'F', 'F', '!', 0, 0, 0, 0});
  ASSERT_FALSE(ModelLoadError(Broken).empty());
  Retype(Form->edH[12], "4");
  PressEnter(Form->edH[12]);
  const TZorvObject* Shown = Form->Document.Model();

  Services.AskAnswers = {"Discard"};  // the hardpoint edit
  LoadThroughDialog(Broken);
  EXPECT_EQ(Services.Messages, std::vector<std::string>{ModelLoadError(Broken)});
  EXPECT_EQ(Form->Document.FileName(), First);
  EXPECT_EQ(Form->Document.Model(), Shown);
  EXPECT_EQ(Caption(), "QUELBIR Editor [*first.iff [0000]]");
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{"1.500", "0.000", "-2.250", "3.000"}));
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"gun1", "engine"}));
  EXPECT_EQ(Form->Document.Hardpoints()[size_t(0)].Matrix[12], 4.0f);
  EXPECT_EQ(Form->Document.History().UndoName(), "Hardpoint Edit");
  // The window goes on: it still paints.
  EXPECT_FALSE(Frame().isNull());
}

// A model whose sphere cannot be read is shown, named in the caption, with
// its hardpoints; the sphere's boxes keep the sphere shown before, and Save
// writes it into its own file, never into the new one.
TEST_F(FormTest, ASphereErrorShowsTheNewModelButKeepsTheOldSphere) {
  const std::string First = StandardModel("first.iff");
  Open(First);
  const std::string NoSphere = Dir.File("nosphere.iff");
  WriteModel(NoSphere, AxisBoxesMesh(), {Hardpoint("other", Translation(0, 0, 0))}, std::nullopt);
  LoadThroughDialog(NoSphere);
  EXPECT_EQ(Services.Messages, std::vector<std::string>{"TIffReader: Form (COLL) doesn't exist!"});
  EXPECT_EQ(Caption(), "QUELBIR Editor [nosphere.iff [0000]]");
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{"1.500", "0.000", "-2.250", "3.000"}));
  EXPECT_TRUE(Form->CheckBoxTree->isChecked());
  EXPECT_EQ(ListEntries(), (std::vector<std::string>{"other"}));
  EXPECT_EQ(Form->Document.Hardpoints().size(), 1u);

  const auto Before = ReadFileBytes(NoSphere);
  SetSphereDiameter(6);
  QTest::mouseClick(Form->Button2, Qt::LeftButton);
  EXPECT_EQ(ReadFileBytes(NoSphere), Before);
  EXPECT_EQ(Form->EditDiameter->text(), "6.000");
  float Center[3], Diameter;
  bool Tree;
  ReadSphere(First, Center, Diameter, Tree);
  EXPECT_EQ(Diameter, 6.0f);
  EXPECT_FALSE(Frame().isNull());
}

TEST_F(FormTest, AShortSphereChunkChangesNoFieldAndSaveKeepsToTheFileShown) {
  const std::string First = StandardModel("first.iff");
  Open(First);
  const std::string Short = Dir.File("short.iff");
  WriteModel(Short, AxisBoxesMesh(), {}, std::array<float, 4>{7, 8, 9, 10}, true, 12);
  LoadThroughDialog(Short);
  EXPECT_EQ(Services.Messages, std::vector<std::string>{"TIffReader: Read beyond end of chunk!"});
  // Read whole or not at all: no field holds one file's centre and another's
  // diameter.
  EXPECT_EQ(Form->Document.SphereCenter()[0], 1.5f);
  EXPECT_EQ(Form->Document.SphereCenter()[2], -2.25f);
  EXPECT_EQ(Form->Document.SphereDiameter(), 3.0f);
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{"1.500", "0.000", "-2.250", "3.000"}));
  const auto ShortBytes = ReadFileBytes(Short), FirstBytes = ReadFileBytes(First);
  QTest::mouseClick(Form->Button2, Qt::LeftButton);
  EXPECT_EQ(ReadFileBytes(Short), ShortBytes);
  EXPECT_EQ(ReadFileBytes(First), FirstBytes);  // its own values, unchanged
}

// A load whose mesh fails leaves the window showing the previous file: Save
// goes on writing that one, or, with none shown before, stays disabled.
TEST_F(FormTest, AfterAMeshThatFailsSaveWritesTheFileShownOrNone) {
  const std::string First = StandardModel("first.iff"), Broken = Dir.File("nonormals.iff");
  WriteLevels(Broken, {false}, {4, 5, 6, 7});
  ASSERT_FALSE(ModelLoadError(Broken).empty());

  Open(Broken);  // nothing shown before
  EXPECT_EQ(Services.Messages, std::vector<std::string>{ModelLoadError(Broken)});
  EXPECT_FALSE(Form->Button2->isEnabled());
  const auto BrokenBytes = ReadFileBytes(Broken);
  Form->Handle([&] { Form->Button2Click(); });
  EXPECT_EQ(ReadFileBytes(Broken), BrokenBytes);

  LoadThroughDialog(First);
  Retype(Form->EditDiameter, "8");
  PressEnter(Form->EditDiameter);
  Services.AskAnswers = {"Discard"};
  LoadThroughDialog(Broken);
  EXPECT_EQ(Caption(), "QUELBIR Editor [*first.iff [0000]]");
  EXPECT_TRUE(Form->Button2->isEnabled());
  QTest::mouseClick(Form->Button2, Qt::LeftButton);
  EXPECT_EQ(ReadFileBytes(Broken), BrokenBytes);
  float Center[3], Diameter;
  bool Tree;
  ReadSphere(First, Center, Diameter, Tree);
  EXPECT_EQ(Diameter, 8.0f);
  EXPECT_EQ(Form->Document.FileName(), First);
}

TEST_F(FormTest, EnterInAnySphereBoxStoresAllFourAndIsSwallowed) {
  Open(StandardModel());
  for (TKeyPressEdit* Box : {Form->EditPosX, Form->EditPosY, Form->EditPosZ, Form->EditDiameter}) {
    const std::string Name = Box->objectName().toStdString();
    Form->Document.ChangeSphere({0, 0, 0, 0}, "Sphere Values");
    Form->EditPosX->setText("0.12345");
    Form->EditPosY->setText(" -4e1 ");
    Form->EditPosZ->setText("+2.5");
    Form->EditDiameter->setText("9");
    const QString Typed = Box->text();
    Box->setFocus();
    PressEnter(Box);
    EXPECT_EQ(Form->Document.SphereCenter()[0], 0.12345f) << Name;
    EXPECT_EQ(Form->Document.SphereCenter()[1], -40.0f) << Name;
    EXPECT_EQ(Form->Document.SphereCenter()[2], 2.5f) << Name;
    EXPECT_EQ(Form->Document.SphereDiameter(), 9.0f) << Name;
    // Not reformatted, and Enter did not reach the box.
    EXPECT_EQ(Box->text(), Typed) << Name;
  }
  // Other keys only type.
  Form->EditPosX->setText("");
  Form->EditPosX->setFocus();
  TypeInto(Form->EditPosX, "5");
  EXPECT_EQ(Form->EditPosX->text(), "5");
  EXPECT_EQ(Form->Document.SphereCenter()[0], 0.12345f);
  EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(FormTest, ABadSphereTextStopsTheStoreWhereItIsRead) {
  Open(StandardModel());
  Form->EditPosX->setText("1,5");
  Form->EditPosY->setText("11");
  Form->EditPosZ->setText("12");
  Form->EditDiameter->setText("13");
  PressEnter(Form->EditPosY);
  EXPECT_EQ(Services.Messages, std::vector<std::string>{"'1,5' is not a valid floating point value"});
  // The diameter is read first, so it is stored; X, Y and Z are not.
  EXPECT_EQ(Form->Document.SphereDiameter(), 13.0f);
  EXPECT_EQ(Form->Document.SphereCenter()[0], 1.5f);
  EXPECT_EQ(Form->Document.SphereCenter()[1], 0.0f);
  EXPECT_EQ(Form->Document.SphereCenter()[2], -2.25f);
  EXPECT_EQ(Form->EditPosY->text(), "11");
}

TEST_F(FormTest, SaveWritesOnlyTheSixteenSphereBytesAndKeepsTheWork) {
  const std::string File = StandardModel();
  Open(File);
  // A save without edits leaves the file byte for byte as it was.
  const auto Original = ReadFileBytes(File);
  QTest::mouseClick(Form->Button2, Qt::LeftButton);
  EXPECT_EQ(ReadFileBytes(File), Original);

  Form->EditPosY->setText("0.5");
  Form->EditDiameter->setText("4.25");
  PressEnter(Form->EditPosY);
  // A typed hardpoint edit, the selection and the history survive a save.
  Retype(Form->edH[12], "9");
  PressEnter(Form->edH[12]);
  ASSERT_EQ(Form->Document.Hardpoints()[size_t(0)].Matrix[12], 9.0f);
  QTest::mouseClick(Form->Button2, Qt::LeftButton);
  EXPECT_TRUE(Services.Messages.empty());

  auto Expected = Original;
  const size_t At = SphereOffset(Original);
  ASSERT_NE(At, std::string::npos);
  const auto Sphere = FloatBytes({1.5f, 0.5f, -2.25f, 4.25f});
  std::copy(Sphere.begin(), Sphere.end(), Expected.begin() + long(At));
  EXPECT_EQ(ReadFileBytes(File), Expected);
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{"1.500", "0.500", "-2.250", "4.250"}));
  EXPECT_EQ(Form->Document.Hardpoints()[size_t(0)].Matrix[12], 9.0f);
  EXPECT_EQ(Form->edH[12]->text(), "9");
  EXPECT_EQ(Form->Document.History().UndoName(), "Hardpoint Edit");
}

TEST_F(FormTest, AReadOnlyFileCannotBeSaved) {
  const std::string File = StandardModel();
  Open(File);
  ASSERT_EQ(chmod(File.c_str(), 0444), 0);
  if (access(File.c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights that ignore file modes";
  const auto Before = ReadFileBytes(File);
  SetSphereDiameter(99);
  QTest::mouseClick(Form->Button2, Qt::LeftButton);
  EXPECT_EQ(Services.Messages, std::vector<std::string>{"Cannot open file " + File});
  EXPECT_EQ(ReadFileBytes(File), Before);
  EXPECT_EQ(Form->Document.SphereDiameter(), 99.0f);  // no reload
}

}  // namespace

TEST_F(FormTest, SphereAndScaleNumbersShowFromTheirFirstCharacter) {
  const std::string File = Dir.File("wide.iff");
  WriteModel(File, AxisBoxesMesh(), {}, std::array<float, 4>{-12.345f, -100.25f, 0, 1000.125f});
  Open(File);
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{"-12.345", "-100.250", "0.000", "1000.125"}));
  for (TKeyPressEdit* Box : {Form->EditPosX, Form->EditPosY, Form->EditDiameter})
    EXPECT_EQ(Box->cursorPosition(), 0) << Box->objectName().toStdString();
  Form->UpDown1->Step(1);
  EXPECT_EQ(Form->edScale->cursorPosition(), 0);
}

TEST_F(FormTest, AFitThatCannotBeMeasuredStillLoadsAndIsReportedOncePerLoad) {
  // The largest extent, 1e-39, is too small: 2 / (E / 0.4) leaves the float range.
  TSampleMesh Tiny;
  Tiny.AddPolygon({{0, 0, 0}, {1e-39f, 0, 0}, {0, 1e-39f, 0}});
  const std::string File = Dir.File("tiny.iff");
  WriteModel(File, Tiny, {Hardpoint("h", Translation(0, 0, 0))}, std::array<float, 4>{1, 2, 3, 4});
  Open(File);
  EXPECT_EQ(Caption(), "QUELBIR Editor [tiny.iff [0000]]");
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{"1.000", "2.000", "3.000", "4.000"}));
  EXPECT_EQ(ListEntries(), std::vector<std::string>{"h"});
  QTest::qWait(250);  // the load's frame is drawn (and fails)
  const int Painted = Form->PaintCount();
  Form->edScale->setText("120");  // another frame, failing the same way
  ASSERT_TRUE(WaitUntil([&] { return Form->PaintCount() >= Painted + 1; }));
  QTest::qWait(50);
  EXPECT_EQ(Services.Messages, std::vector<std::string>{"Floating point overflow"});
  // The next load may report it again.
  const int Reloaded = Form->PaintCount();
  LoadThroughDialog(File);
  ASSERT_TRUE(WaitUntil([&] { return Form->PaintCount() >= Reloaded + 1; }));
  QTest::qWait(50);
  EXPECT_EQ(Services.Messages.size(), 2u);
}
