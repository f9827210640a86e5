// The window's controls: their table, their creation and their tab order.
#include <algorithm>
#include <span>
#include <type_traits>
#include <variant>

#include "app/FormFont.h"
#include "app/Unit1.h"
#include "gl/qt/QtGLView.h"

namespace {

const QColor Teal(0, 128, 128);
const QColor Grey(128, 128, 128);

QFrame* BlackPanel(QWidget* Parent, int Left, int Top, int Width, int Height) {
  auto* Panel = new QFrame(Parent);
  Panel->setGeometry(Left, Top, Width, Height);
  Panel->setFrameShape(QFrame::NoFrame);
  Panel->setAutoFillBackground(true);
  QPalette Colours = Panel->palette();
  Colours.setColor(QPalette::Window, Qt::black);
  Colours.setColor(QPalette::WindowText, Qt::white);
  Panel->setPalette(Colours);
  return Panel;
}

QLabel* WhiteLabel(QWidget* Parent, const char* Caption, int Left, int Top, int Width, int Height) {
  auto* Label = new QLabel(QString::fromLatin1(Caption), Parent);
  Label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label->setContentsMargins(0, 0, 0, 0);
  // Labels size themselves to their caption, as with the face they were laid
  // out in; a wider stand-in face must not cut them short.
  Label->setGeometry(Left, Top, std::max(Width, Label->sizeHint().width()), Height);
  return Label;
}

QPushButton* Button(QWidget* Parent, const char* Caption, int Left, int Top, int Width, int Height) {
  auto* B = new QPushButton(QString::fromLatin1(Caption), Parent);
  B->setGeometry(Left, Top, Width, Height);
  return B;
}

// The borderless coloured boxes of the sphere panel and the grid.
TKeyPressEdit* FlatEdit(QWidget* Parent, int Left, int Top, int Width, int Height, const QColor& Background,
                        const char* Initial) {
  auto* Edit = new TKeyPressEdit(Parent);
  Edit->setGeometry(Left, Top, Width, Height);
  Edit->setFrame(false);
  // The boxes are narrow: the text may use the box's own inner margin.
  Edit->setTextMargins(-1, 0, -1, 0);
  Edit->setContentsMargins(0, 0, 0, 0);
  Edit->setAutoFillBackground(true);
  QPalette Colours = Edit->palette();
  Colours.setColor(QPalette::Base, Background);
  Colours.setColor(QPalette::Text, Qt::white);
  Colours.setColor(QPalette::Window, Background);
  Edit->setPalette(Colours);
  Edit->setText(QString::fromLatin1(Initial));
  return Edit;
}

}  // namespace

// The form's controls in creation order (later ones lie above earlier ones):
// which member, the panel it sits on (none: the form), its name, its caption
// (an edit box's first text), its rectangle in the panel, and for the
// borderless boxes their colour. The matrix boxes edH1..edH16 follow lbHards
// as a grid: 4 x 4 at (24 + 40 x column, 112 + 16 x row), 33 x 13, the last
// column grey.
std::span<const TForm1::TControlRow> TForm1::ControlTable() {
  static const TControlRow Rows[] = {
      {&TForm1::Panel2, nullptr, "Panel2", "", {8, 8, 153, 41}},
      {&TForm1::Button1, &TForm1::Panel2, "Button1", "&Load Mesh...", {8, 8, 75, 25}},
      {&TForm1::Button2, &TForm1::Panel2, "Button2", "&Save", {88, 8, 57, 25}},
      {&TForm1::Panel4, nullptr, "Panel4", "", {8, 56, 153, 65}},
      {&TForm1::Label5, &TForm1::Panel4, "Label5", "Scale:", {8, 13, 30, 13}},
      {&TForm1::edScale, &TForm1::Panel4, "edScale", "100", {56, 8, 73, 21}},
      {&TForm1::UpDown1, &TForm1::Panel4, "UpDown1", "", {129, 8, 15, 21}},
      {&TForm1::Label6, &TForm1::Panel4, "Label6", "View:", {8, 36, 26, 13}},
      {&TForm1::cbView, &TForm1::Panel4, "cbView", "", {56, 32, 89, 21}},
      {&TForm1::Panel1, nullptr, "Panel1", "", {8, 128, 153, 137}},
      {&TForm1::Label3, &TForm1::Panel1, "Label3", "COLL SPHR", {8, 8, 60, 13}},
      {&TForm1::chkHideSphere, &TForm1::Panel1, "chkHideSphere", "Hide", {96, 8, 49, 17}},
      {&TForm1::Label1, &TForm1::Panel1, "Label1", "Position:", {8, 24, 40, 13}},
      {&TForm1::EditPosX, &TForm1::Panel1, "EditPosX", "0.000", {8, 40, 41, 13}, TBoxColour::Teal},
      {&TForm1::EditPosY, &TForm1::Panel1, "EditPosY", "0.000", {56, 40, 41, 13}, TBoxColour::Teal},
      {&TForm1::EditPosZ, &TForm1::Panel1, "EditPosZ", "0.000", {104, 40, 41, 13}, TBoxColour::Teal},
      {&TForm1::Label2, &TForm1::Panel1, "Label2", "Diameter:", {8, 72, 45, 13}},
      {&TForm1::EditDiameter, &TForm1::Panel1, "EditDiameter", "0.000", {8, 88, 41, 13}, TBoxColour::Teal},
      {&TForm1::CheckBoxTree, &TForm1::Panel1, "CheckBoxTree", "tree present", {8, 112, 97, 17}},
      {&TForm1::Panel3, nullptr, "Panel3", "", {168, 8, 185, 225}},
      {&TForm1::Label4, &TForm1::Panel3, "Label4", "Hardpoints:", {8, 8, 54, 13}},
      {&TForm1::lbHards, &TForm1::Panel3, "lbHards", "", {8, 24, 169, 81}},
      {&TForm1::Button3, &TForm1::Panel3, "Button3", "u", {8, 112, 13, 17}},
      {&TForm1::Button4, &TForm1::Panel3, "Button4", "u", {8, 128, 13, 17}},
      {&TForm1::Button5, &TForm1::Panel3, "Button5", "u", {8, 144, 13, 17}},
      {&TForm1::Button6, &TForm1::Panel3, "Button6", "r", {8, 160, 13, 17}},
      {&TForm1::Button7, &TForm1::Panel3, "Button7", "Copy Script to Clipboard", {8, 192, 169, 25}},
  };
  return Rows;
}

void TForm1::BuildControlRows(std::span<const TControlRow> Rows) {
  for (const TControlRow& Row : Rows) {
    QWidget* Parent = Row.Parent ? static_cast<QWidget*>(this->*Row.Parent) : this;
    const QRect& R = Row.Bounds;
    QWidget* Made = std::visit(
        [&](auto Member) -> QWidget* {
          using TControl = std::remove_pointer_t<std::remove_reference_t<decltype(this->*Member)>>;
          TControl* Control = nullptr;
          if constexpr (std::is_same_v<TControl, QFrame>) {
            Control = BlackPanel(Parent, R.x(), R.y(), R.width(), R.height());
          } else if constexpr (std::is_same_v<TControl, QLabel>) {
            Control = WhiteLabel(Parent, Row.Caption, R.x(), R.y(), R.width(), R.height());
          } else if constexpr (std::is_same_v<TControl, QPushButton>) {
            Control = Button(Parent, Row.Caption, R.x(), R.y(), R.width(), R.height());
          } else if constexpr (std::is_same_v<TControl, TKeyPressEdit>) {
            if (Row.Colour == TBoxColour::Teal) {
              Control = FlatEdit(Parent, R.x(), R.y(), R.width(), R.height(), Teal, Row.Caption);
            } else {
              Control = new TKeyPressEdit(Parent);
              Control->setGeometry(R);
              Control->setText(QString::fromLatin1(Row.Caption));
            }
          } else if constexpr (std::is_same_v<TControl, QCheckBox>) {
            Control = new QCheckBox(QString::fromLatin1(Row.Caption), Parent);
            Control->setGeometry(R);
          } else {
            Control = new TControl(Parent);
            Control->setGeometry(R);
          }
          this->*Member = Control;
          return Control;
        },
        Row.Member);
    Made->setObjectName(QString::fromLatin1(Row.Name));
  }
}

void TForm1::BuildControls() {
  setObjectName("Form1");
  setWindowTitle("QUELBIR Editor");
  setFont(FormFont());
  QPalette Colours = palette();
  Colours.setColor(QPalette::Window, Teal);
  setPalette(Colours);
  setAutoFillBackground(true);
  // The outer size is 544 x 375 with the frame; the client area is what
  // the drawing covers.
  resize(EditorClientWidth, EditorClientHeight);
  move(192, 107);
  setAcceptDrops(true);

  GLView = new TQtGLView(this);
  GLView->setObjectName("GLView");
  GLView->setGeometry(0, 0, width(), height());
  GLView->installEventFilter(this);
  // A click gives the drawing the keyboard (for its menu keys) without
  // putting it into the tab order.
  GLView->setFocusPolicy(Qt::ClickFocus);
  // The pointer is followed without a button too: a name never hides the
  // marker under it (Show Names).
  GLView->setMouseTracking(true);

  // The controls as laid out (ControlTable), then what the table does not
  // say: states, ranges, items, and the grid of matrix boxes between the list
  // and its buttons.
  const std::span<const TControlRow> Rows = ControlTable();
  const auto GridAfter = std::find_if(Rows.begin(), Rows.end(), [](const TControlRow& Row) {
    return std::holds_alternative<TTwoColumnListBox * TForm1::*>(Row.Member);
  });
  BuildControlRows({Rows.begin(), GridAfter + 1});
  const TGridTexts Identity = IdentityGridTexts();
  for (int I = 0; I < 16; ++I) {
    const int Row = I / 4, Column = I % 4;
    edH[I] = FlatEdit(Panel3, 24 + 40 * Column, 112 + 16 * Row, 33, 13, Column == 3 ? Grey : Teal, Identity[I].c_str());
    edH[I]->setObjectName(QString("edH%1").arg(I + 1));
  }
  BuildControlRows({GridAfter + 1, Rows.end()});

  Button2->setEnabled(false);
  UpDown1->SetRange(0, 1000);
  UpDown1->SetIncrement(20);
  UpDown1->SetPosition(100);
  UpDown1->SetAssociate(edScale);
  cbView->setEditable(false);
  for (const char* Name : ViewLayoutNames) cbView->addItem(QString::fromLatin1(Name));
  cbView->setCurrentIndex(0);
  chkHideSphere->setChecked(true);
  CheckBoxTree->setEnabled(false);
  {
    // Display only, but readable: white on black like the panel.
    QPalette P = CheckBoxTree->palette();
    P.setColor(QPalette::Disabled, QPalette::WindowText, Qt::white);
    P.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    CheckBoxTree->setPalette(P);
  }

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(200);

  OpenDialog1.Filter = "IFF Files (*.iff)|*.iff";
  OpenDialog1.DefaultExt = ".iff";
  OpenDialog1.HideReadOnly = true;
  OpenDialog1.PathMustExist = true;
  OpenDialog1.FileMustExist = true;
  OpenDialog1.NoReadOnlyReturn = true;
  OpenDialog1.EnableSizing = true;

  // Tab order: Panel1, Panel2, Panel3, Panel4, and inside each panel its own.
  QWidget* Order[] = {EditPosX,      EditPosY, EditPosZ, EditDiameter, CheckBoxTree,
                      chkHideSphere, Button1,  Button2,  lbHards};
  QWidget* Previous = nullptr;
  auto Chain = [&Previous](QWidget* Next) {
    if (Previous) QWidget::setTabOrder(Previous, Next);
    Previous = Next;
  };
  for (QWidget* W : Order) Chain(W);
  for (TKeyPressEdit* Box : edH) Chain(Box);
  for (QWidget* W : {static_cast<QWidget*>(Button3), static_cast<QWidget*>(Button4), static_cast<QWidget*>(Button5),
                     static_cast<QWidget*>(Button6), static_cast<QWidget*>(Button7), static_cast<QWidget*>(edScale),
                     static_cast<QWidget*>(cbView)})
    Chain(W);
}
