// The small widgets of our own, the real desktop services that can be checked
// without a person, and the window under a decimal-comma locale.
#include <clocale>
#include <locale>

#include <QClipboard>
#include <QKeyEvent>
#include <QLocale>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>

#include "tests/app/FormFixture.h"

namespace {

TEST(UpDownControl, StepsWithinItsRangeWithoutWrappingAndWritesPlainDigits) {
  TKeyPressEdit Edit;
  TUpDownControl UpDown;
  UpDown.SetRange(0, 1000);
  UpDown.SetIncrement(20);
  UpDown.SetPosition(100);
  UpDown.SetAssociate(&Edit);
  int Changes = 0;
  QObject::connect(&Edit, &TKeyPressEdit::Changed, [&] { ++Changes; });
  UpDown.WritePosition();
  EXPECT_EQ(Edit.text(), "100");
  EXPECT_EQ(Changes, 1);  // written, even though the text stayed

  UpDown.Step(1000);
  EXPECT_EQ(Edit.text(), "1000");  // no "1,000", no wrap to 0
  UpDown.Step(1);
  EXPECT_EQ(UpDown.Position(), 1000);
  UpDown.Step(-100);
  EXPECT_EQ(Edit.text(), "0");
  UpDown.Step(-1);
  EXPECT_EQ(UpDown.Position(), 0);

  // A typed number is stepped from; one out of range is clamped first.
  Edit.setText("333");
  UpDown.Step(1);
  EXPECT_EQ(Edit.text(), "353");
  Edit.setText("5000");
  UpDown.Step(1);
  EXPECT_EQ(Edit.text(), "1000");
  Edit.setText("abc");
  UpDown.Step(-1);
  EXPECT_EQ(Edit.text(), "980");
}

TEST(UpDownControl, ArrowKeysInTheBoxAndClicksOnTheArrowsStepIt) {
  QWidget Host;
  auto* Edit = new TKeyPressEdit(&Host);
  auto* UpDown = new TUpDownControl(&Host);
  UpDown->setGeometry(80, 0, 15, 21);
  UpDown->SetRange(0, 1000);
  UpDown->SetIncrement(20);
  UpDown->SetPosition(100);
  UpDown->SetAssociate(Edit);
  Host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Host));
  QTest::keyClick(Edit, Qt::Key_Up);
  EXPECT_EQ(Edit->text(), "120");
  QTest::keyClick(Edit, Qt::Key_Down);
  QTest::keyClick(Edit, Qt::Key_Down);
  EXPECT_EQ(Edit->text(), "80");
  QTest::mouseClick(UpDown, Qt::LeftButton, {}, QPoint(7, 3));
  EXPECT_EQ(Edit->text(), "100");
  QTest::mouseClick(UpDown, Qt::LeftButton, {}, QPoint(7, 18));
  EXPECT_EQ(Edit->text(), "80");
}

TEST(TwoColumnListBox, EntriesRunDownTheFirstColumnThenTheSecondAndScrollSideways) {
  QWidget Host;
  auto* List = new TTwoColumnListBox(&Host);
  List->setGeometry(8, 24, 169, 81);
  Host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Host));
  for (int I = 0; I < 4; ++I) List->Add("hp" + std::to_string(I));
  QCoreApplication::processEvents();
  const QRect First = List->visualItemRect(List->item(0));
  const QRect Second = List->visualItemRect(List->item(1));
  EXPECT_EQ(First.height(), TTwoColumnListBox::ItemHeight);
  EXPECT_EQ(Second.top(), First.top() + TTwoColumnListBox::ItemHeight);
  EXPECT_EQ(Second.left(), First.left());
  EXPECT_FALSE(List->horizontalScrollBar()->isVisible());

  for (int I = 4; I < 30; ++I) List->Add("hp" + std::to_string(I));
  List->doItemsLayout();
  // The first entry of the second column follows the last of the first.
  int K = 1;
  while (K < 30 && List->visualItemRect(List->item(K)).left() == First.left()) {
    EXPECT_EQ(List->visualItemRect(List->item(K)).top(), First.top() + K * TTwoColumnListBox::ItemHeight);
    ++K;
  }
  ASSERT_LT(K, 30);
  EXPECT_GE(K, 3);
  const QRect Continued = List->visualItemRect(List->item(K));
  EXPECT_EQ(Continued.top(), First.top());
  EXPECT_EQ(Continued.left(), First.left() + List->viewport()->width() / 2);
  EXPECT_TRUE(WaitUntil([&] { return List->horizontalScrollBar()->isVisible(); }, 2000));

  // Selecting from code is no click; names keep their 8-bit characters.
  int Clicks = 0;
  QObject::connect(List, &TTwoColumnListBox::Clicked, [&] { ++Clicks; });
  List->SetItemIndex(3);
  EXPECT_EQ(List->ItemIndex(), 3);
  EXPECT_EQ(Clicks, 0);
  List->Add("caf\xe9");
  EXPECT_EQ(List->Item(30), "caf\xe9");
  List->SetItemIndex(-1);
  EXPECT_EQ(List->ItemIndex(), -1);
}

TEST(KeyPressEdit, TheHandlerSeesCharactersFirstAndCanSwallowThem) {
  TKeyPressEdit Edit;
  std::vector<char16_t> Seen;
  Edit.OnKeyPress = [&](char16_t& Key) {
    Seen.push_back(Key);
    if (Key == u'x') Key = 0;
  };
  Edit.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Edit));
  QTest::keyClicks(&Edit, "axb");
  QTest::keyClick(&Edit, Qt::Key_Backspace);
  QTest::keyClick(&Edit, Qt::Key_Return);
  QTest::keyClick(&Edit, Qt::Key_Left);  // not a character
  QTest::keyClick(&Edit, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Seen, (std::vector<char16_t>{u'a', u'x', u'b', u'\b', u'\r', 3}));
  EXPECT_EQ(Edit.text(), "a");
}

TEST(WindowServices, TheFilterBecomesQtsNameFilters) {
  EXPECT_EQ(QtNameFilters("IFF Files (*.iff)|*.iff"), std::vector<std::string>{"IFF Files (*.iff)"});
  EXPECT_EQ(QtNameFilters("Models|*.iff;*.IFF|All|*.*"),
            (std::vector<std::string>{"Models (*.iff *.IFF)", "All (*.*)"}));
  EXPECT_TRUE(QtNameFilters("").empty());
}

TEST(WindowServices, TheDesktopClipboardGetsTheTextToTheByte) {
  TQtWindowServices Services;
  const std::string Text = "    FORM \"HARD\"\r\n    {\r\n        cstring \"\xe9\"\r\n  }\r\n";
  Services.SetClipboardText(Text);
  const QString Got = QApplication::clipboard()->text();
  EXPECT_EQ(Got.toLatin1().toStdString(), Text);
}

TEST(WindowServices, AMessageBoxIsTitledWithTheProgramsName) {
  TQtWindowServices Services;
  std::vector<std::string> Titles;
  for (const bool Failure : {true, false}) {
    QTimer Poll;
    QObject::connect(&Poll, &QTimer::timeout, [&] {
      if (auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        Poll.stop();
        Titles.push_back(Box->windowTitle().toStdString());
        Box->accept();
      }
    });
    Poll.start(20);
    Failure ? Services.ShowMessage(nullptr, "failed") : Services.ShowInformation(nullptr, "done");
  }
  EXPECT_EQ(Titles, (std::vector<std::string>{"QUELBIR Editor", "QUELBIR Editor"}));
}

// A comma as the decimal separator for Qt, the C++ library and, where one
// can be had, the C library.
struct TCommaPoint : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

class CommaLocale : public FormTest {
protected:
  void SetUp() override {
    FSavedC = std::setlocale(LC_ALL, nullptr);
    FSavedCpp = std::locale::global(std::locale(std::locale::classic(), new TCommaPoint));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const char* Name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
      if (std::setlocale(LC_ALL, Name)) break;
  }
  void TearDown() override {
    FormTest::TearDown();
    std::setlocale(LC_ALL, FSavedC.c_str());
    std::locale::global(FSavedCpp);
    QLocale::setDefault(QLocale::c());
  }
  std::string FSavedC;
  std::locale FSavedCpp;
};

TEST_F(CommaLocale, TheWindowStillWritesAndReadsPoints) {
  Open(StandardModel());
  EXPECT_EQ(SphereBoxes(), (std::vector<std::string>{"1.500", "0.000", "-2.250", "3.000"}));
  EXPECT_EQ(Form->edH[12]->text(), "1.500");
  Form->EditDiameter->setText("2.5");
  PressEnter(Form->EditDiameter);
  EXPECT_EQ(Form->Document.SphereDiameter(), 2.5f);
  Form->EditDiameter->setText("2,5");
  PressEnter(Form->EditDiameter);
  EXPECT_EQ(Services.Messages, std::vector<std::string>{"'2,5' is not a valid floating point value"});
  QTest::mouseClick(Form->Button7, Qt::LeftButton);
  ASSERT_TRUE(Services.Clipboard.has_value());
  EXPECT_NE(Services.Clipboard->find("float 1.500\r\n"), std::string::npos);
  // The program's own numbers go through the C library with a point too.
  EXPECT_EQ(*std::localeconv()->decimal_point, '.');
}

}  // namespace
