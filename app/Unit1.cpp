#include "app/Unit1.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <span>
#include <sstream>
#include <type_traits>
#include <variant>

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QShortcut>
#include <QUrl>
#include <QWheelEvent>

#include "app/FormFont.h"
#include "editor/DocumentPicture.h"
#include "editor/HardpointListEdits.h"
#include "editor/HardpointScript.h"
#include "editor/ScenePicture.h"
#include "editor/SphereFit.h"
#include "editor/WorkQuestions.h"
#include "gl/gltools.h"
#include "gl/qt/QtContextBackend.h"
#include "gl/qt/QtGLView.h"
#include "interchange/ModelExport.h"
#include "model/EditorModel.h"
#include "model/HardpointName.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"
#include "runtime/NumberFormat.h"

namespace {

const QColor Teal(0, 128, 128);
const QColor Grey(128, 128, 128);

QString Text(const std::string& Utf8) { return QString::fromStdString(Utf8); }

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

// The command whose key of the drawing Key is, if any.
std::optional<TCommandId> DrawingKeyCommand(const QKeyEvent& Key) {
  const QKeySequence Pressed(Key.keyCombination());
  for (const TWindowCommand& Command : WindowCommands())
    if (Command.Reach == TKeyReach::Drawing)
      for (const char* Keys : Command.Keys)
        if (QKeySequence(QString::fromLatin1(Keys)) == Pressed) return Command.Id;
  return std::nullopt;
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

TForm1::TForm1(TWindowServices& Services, QWidget* Parent) : QWidget(Parent), FServices(Services) {
  BuildControls();
  ConnectHandlers();
  Handle([this] { FormCreate(); });
  AttachViewHandlers();
}

TForm1::~TForm1() = default;

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

void TForm1::ConnectHandlers() {
  connect(Button1, &QPushButton::clicked, this, [this] { Handle([this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { Handle([this] { Button2Click(); }); });
  connect(Button3, &QPushButton::clicked, this, [this] { Handle([this] { Button3Click(); }); });
  connect(Button4, &QPushButton::clicked, this, [this] { Handle([this] { Button4Click(); }); });
  connect(Button5, &QPushButton::clicked, this, [this] { Handle([this] { Button5Click(); }); });
  connect(Button6, &QPushButton::clicked, this, [this] { Handle([this] { Button6Click(); }); });
  connect(Button7, &QPushButton::clicked, this, [this] { Handle([this] { Button7Click(); }); });
  connect(edScale, &TKeyPressEdit::Changed, this, [this] { Handle([this] { edScaleChange(); }); });
  connect(lbHards, &TTwoColumnListBox::Clicked, this,
          [this](int Row, bool Toggle, bool Extend) { Handle([=, this] { lbHardsClick(Row, Toggle, Extend); }); });
  connect(lbHards, &TTwoColumnListBox::AllClicked, this, [this] { Handle([this] { lbHardsSelectAll(); }); });
  connect(Timer1, &QTimer::timeout, this, [this] { Handle([this] { Timer1Timer(); }); });
  connect(cbView, &QComboBox::currentIndexChanged, this, [this](int Index) { View.Layout = std::max(Index, 0); });
  connect(chkHideSphere, &QCheckBox::toggled, this, [this](bool Ticked) { View.ShowSphere = !Ticked; });
  Document.Observe([this](unsigned Changes) { DocumentChanged(Changes); });
  ConnectCommandKeys();
  connect(lbHards, &QListWidget::itemDoubleClicked, this, [this] { Handle([this] { RenameHardpointClick(); }); });
  for (TKeyPressEdit* Box : {EditPosX, EditPosY, EditPosZ, EditDiameter}) {
    Box->OnKeyPress = [this, Box](char16_t& Key) {
      // A key whose handler fails does not reach the box.
      if (!Handle([&] { EditPosXKeyPress(Box, Key); })) Key = 0;
    };
  }
  for (TKeyPressEdit* Box : edH) {
    Box->OnKeyPress = [this, Box](char16_t& Key) {
      if (!Handle([&] { edH1KeyPress(Box, Key); })) Key = 0;
    };
  }
}

void TForm1::AttachViewHandlers() {
  GLView->OnResize = [this](int W, int H) { HandleDeferred([&] { FormResize(W, H); }); };
  GLView->OnPaint = [this] { HandlePaint(); };
  // The fixed state goes into the view's context as soon as Qt has made it,
  // and again should Qt ever make it anew.
  GLView->OnContextCreated = [this] {
    // A picture kept in a context Qt replaced is gone with it.
    FScene.Forget();
    if (FContextLive)
      HandleDeferred([this] {
        SetupFixedGLState();
        // So are its textures: loaded afresh in the new one.
        if (FTextures) FTextures = std::make_unique<TFaceTextures>(TexturesFolder());
      });
  };
  Timer1->start();
}

namespace {

// The one place where the window's handlers' errors are caught: the message
// of an error that escaped Handler, or nothing when it ran to its end.
std::optional<std::string> RunCatching(const std::function<void()>& Handler) {
  try {
    Handler();
  } catch (const Exception& E) {
    return E.Message();
  } catch (const std::exception& E) {
    return std::string(E.what());
  }
  return std::nullopt;
}

}  // namespace

bool TForm1::Handle(const std::function<void()>& Handler) {
  ++FHandlerDepth;
  std::optional<std::string> Failure = RunCatching([&] {
    if (FContextLive) ActivateRenderContext(0);
    Handler();
  });
  --FHandlerDepth;
  if (Failure) Report(*Failure);
  return !Failure;
}

void TForm1::HandleDeferred(const std::function<void()>& Handler) {
  ++FHandlerDepth;
  std::optional<std::string> Failure = RunCatching(Handler);
  --FHandlerDepth;
  // A message box must not open inside Qt's paint of the view.
  if (Failure)
    QMetaObject::invokeMethod(
        this, [this, Message = *Failure] { Report(Message); }, Qt::QueuedConnection);
}

void TForm1::HandlePaint() {
  ++FHandlerDepth;
  std::optional<std::string> Failure = RunCatching([this] { FormPaint(); });
  --FHandlerDepth;
  // A drawing that fails fails again at every tick until the next load
  // changes the model: its message is shown once per load, not a new box
  // every 200 ms.
  if (!Failure || FPaintFailureShown) return;
  FPaintFailureShown = true;
  QMetaObject::invokeMethod(
      this, [this, Message = *Failure] { Report(Message); }, Qt::QueuedConnection);
}

void TForm1::Report(const std::string& Message) {
  FReporting = true;
  FServices.ShowMessage(this, Message);
  FReporting = false;
}

// ---- start-up, projection, paint, shut-down ----

void TForm1::FormCreate() {
  // Numbers read and written through the C library use "." too, whatever
  // the user's locale (Qt sets the C locale from the environment).
  std::setlocale(LC_NUMERIC, "C");
  SetContextBackend(&TQtContextBackend::Instance());
  CreateRenderContext(WindowHandleOf(GLView), 0);
  FContextLive = RenderContexts[0] != nullptr;
  // Qt makes the view's context as the window is first shown; the fixed
  // state is set the moment it exists (AttachViewHandlers), or here when it
  // already does.
  if (FContextLive && GLView->context() != nullptr) SetupFixedGLState();
  cbView->setCurrentIndex(0);
  const std::string Argument = FServices.ParamStr1();
  if (!Argument.empty() && FServices.FileExists(Argument)) LoadMesh(Argument);
}

void TForm1::FormResize(int DeviceWidth, int DeviceHeight) {
  ActivateRenderContext(0);
  SetupProjection(DeviceWidth, DeviceHeight, View.KeepProportions);
}

void TForm1::FormPaint() {
  ++FPaintCount;
  ActivateRenderContext(0);
  FScene.Paint(SceneState(), GLView->DeviceWidth(), GLView->DeviceHeight());
  SwapRenderBuffers(0);
  ShowTexturesNote();
}

void TForm1::Paint() {
  if (GLView->OnPaint) GLView->repaint();
}

void TForm1::Timer1Timer() {
  // A tick never runs inside another handler (one waiting for a dialog), nor
  // while an error is being reported.
  if (FHandlerDepth > 1 || FReporting) return;
  // A frame that would show what the last one shows is not drawn again: an
  // idle window costs nothing, however big its model.
  if (!FScene.Changed(SceneState(), GLView->DeviceWidth(), GLView->DeviceHeight())) return;
  Paint();
}

void TForm1::FormClose() {
  GLView->OnPaint = nullptr;
  GLView->OnResize = nullptr;
  GLView->OnContextCreated = nullptr;
  if (FContextLive) {
    ActivateRenderContext(0);
    FScene.Release();
    FTextures.reset();
  }
  DestroyRenderContext(WindowHandleOf(GLView), 0);
  FContextLive = false;
}

TSceneState TForm1::SceneState() const {
  TSceneState State = MakeSceneState(Document, View);
  State.Textures = FTextures.get();
  return State;
}

void TForm1::DrawSphere(GLUquadric* Quadric) { ::DrawSphere(SceneState(), Quadric); }

void TForm1::DrawModel() { ::DrawModel(SceneState()); }

// ---- what the document's changes show ----

void TForm1::DocumentChanged(unsigned Changes) {
  if (Changes & TModelDocument::ModelChanged) {
    FCaption = Document.FileName().empty() ? "QUELBIR Editor" : EditorCaption(Document.FileName());
    if (!Tools.Turning()) setWindowTitle(Text(FCaption));
    FPaintFailureShown = false;
  }
  if (Changes & TModelDocument::SphereChanged) {
    if (!FKeepSphereTexts) ShowSphereBoxes();
    CheckBoxTree->setChecked(Document.TreePresent());
    Button2->setEnabled(!Document.SphereFile().empty());
  }
  if (Changes & (TModelDocument::HardpointsChanged | TModelDocument::SelectionChanged)) {
    ShowHardpointList();
    if (!FKeepGridTexts) ShowSelectedMatrix();
  }
}

void TForm1::ShowHardpointList() {
  const auto& Hardpoints = Document.Hardpoints();
  bool Same = lbHards->Count() == int(Hardpoints.size());
  for (int I = 0; Same && I < lbHards->Count(); ++I) Same = lbHards->Item(I) == Hardpoints[size_t(I)].Name;
  if (!Same) {
    lbHards->Clear();
    for (const TDocumentHardpoint& Hardpoint : Hardpoints) lbHards->Add(Hardpoint.Name);
  }
  if (Document.Selected() >= 0) lbHards->SetSelection(Document.SelectedIndices(), Document.Selected());
}

void TForm1::ShowSelectedMatrix() {
  const TDocumentHardpoint* Selected = Document.SelectedHardpoint();
  if (Selected == nullptr) return;  // the grid keeps its texts
  TGridTexts Texts = GridTexts();
  ShowMatrix(Selected->Matrix, Texts);
  SetGridTexts(Texts);
}

// ---- loading ----

void TForm1::Button1Click() {
  TOpenDialogOptions Options = OpenDialog1;
  Options.InitialFolder = DialogFolder();
  std::optional<std::string> Chosen = FServices.OpenFile(this, Options);
  if (Chosen) RememberDialogFolder(*Chosen);
  if (Chosen && FServices.FileExists(*Chosen) && MayDiscardWork()) LoadMesh(*Chosen);
}

void TForm1::LoadMesh(const std::string& FileName) {
  // A model that fails to load changes nothing; one whose sphere fails is
  // shown all the same, so its textures are looked for before the error goes
  // on to be reported.
  const TZorvObject* Shown = Document.Model();
  try {
    Document.Load(FileName);
  } catch (...) {
    if (Document.Model() != Shown) RemakeTextures();
    throw;
  }
  RemakeTextures();
}

void TForm1::edScaleChange() { View.Scale = ViewScaleFromText(edScale->text().toStdString()); }

// ---- the collision sphere ----

void TForm1::ShowSphereBoxes() {
  EditPosX->setText(Text(FormatFixed3(SphereCenter[0])));
  EditPosY->setText(Text(FormatFixed3(SphereCenter[1])));
  EditPosZ->setText(Text(FormatFixed3(SphereCenter[2])));
  EditDiameter->setText(Text(FormatFixed3(SphereDiameter)));
}

void TForm1::EditPosXKeyPress(TKeyPressEdit*, char16_t& Key) {
  if (Key != u'\r') return;
  Key = 0;
  // The boxes keep the texts as typed.
  FKeepSphereTexts = true;
  try {
    Document.EnterSphereTexts(EditPosX->text().toStdString(), EditPosY->text().toStdString(),
                              EditPosZ->text().toStdString(), EditDiameter->text().toStdString());
  } catch (...) {
    FKeepSphereTexts = false;
    throw;
  }
  FKeepSphereTexts = false;
}

void TForm1::Button2Click() { SaveSphere(); }

bool TForm1::SaveSphere() {
  if (Document.SphereFile().empty()) return false;
  if (Document.SphereFileReplaced()) {
    // Another file by the name, or this one changed by another program: the
    // sphere shown was not read from what is on disk now.
    const TWorkQuestion Question = ReplacedFileQuestion(Document);
    const int Answer = FServices.Ask(this, Question.Caption, Question.Text, Question.Buttons);
    if (Answer == 0) LoadMesh(Document.SphereFile());
    if (Answer != 1) return false;
    Document.SaveSphere(/*EvenIfReplaced=*/true);
    return true;
  }
  Document.SaveSphere();
  return true;
}

bool TForm1::MayDiscardWork() {
  const std::optional<TWorkQuestion> Question = UnsavedWorkQuestion(Document);
  if (!Question) return true;
  const int Answer = FServices.Ask(this, Question->Caption, Question->Text, Question->Buttons);
  const std::string& Chosen = Question->Buttons[size_t(std::clamp(Answer, 0, int(Question->Buttons.size()) - 1))];
  if (Chosen == "Save") return SaveSphere();
  return Chosen == "Discard";
}

// ---- the drawing's context menu ----

void TForm1::AddMenuEntries(QMenu* Menu, const std::vector<TDrawingMenuEntry>& Entries, QPoint At) {
  QActionGroup* Group = nullptr;
  for (const TDrawingMenuEntry& Entry : Entries) {
    if (Entry.Caption.empty()) {
      Menu->addSeparator();
      continue;
    }
    if (Entry.Submenu) {
      QMenu* Sub = Menu->addMenu(QString::fromLatin1(Entry.Caption));
      AddMenuEntries(Sub, Entry.Items, At);
      Sub->setEnabled(Entry.Enabled);
      continue;
    }
    QAction* Item = Menu->addAction(QString::fromLatin1(Entry.Caption));
    Item->setEnabled(Entry.Enabled);
    Item->setCheckable(Entry.Checkable);
    Item->setChecked(Entry.Checked);
    if (!Entry.Shortcut.empty()) Item->setShortcut(QKeySequence(QString::fromLatin1(Entry.Shortcut)));
    if (Entry.Exclusive) {
      if (Group == nullptr) Group = new QActionGroup(Menu);
      Group->addAction(Item);
    }
    connect(Item, &QAction::triggered, this,
            [this, Entry, At] { Handle([&] { RunCommand(Entry.Command, Entry.Argument, At); }); });
  }
}

void TForm1::ConnectCommandKeys() {
  for (const TWindowCommand& Command : WindowCommands()) {
    const TCommandId Id = Command.Id;
    // Delete only where a hardpoint is what has the focus, Home only on the
    // drawing; undo and redo leave an edit box its own.
    std::vector<QWidget*> On{this};
    if (Command.Reach == TKeyReach::DrawingOrList) On = {GLView, lbHards};
    // The drawing's own keys are read as they reach it (eventFilter).
    if (Command.Reach == TKeyReach::Drawing) continue;
    for (const char* Keys : Command.Keys)
      for (QWidget* Widget : On) {
        auto* Shortcut = new QShortcut(QKeySequence(QString::fromLatin1(Keys)), Widget);
        if (Widget != this) Shortcut->setContext(Qt::WidgetShortcut);
        connect(Shortcut, &QShortcut::activated, this, [this, Id, Reach = Command.Reach] {
          if (Reach == TKeyReach::TextOutside && qobject_cast<QLineEdit*>(QApplication::focusWidget())) return;
          Handle([this, Id] {
            if (CommandEnabled(Id, CommandState())) RunCommand(Id, 0, {});
          });
        });
      }
  }
}

void TForm1::RunCommand(TCommandId Command, int Argument, QPoint At) {
  switch (Command) {
    case TCommandId::Undo: return UndoClick();
    case TCommandId::Redo: return RedoClick();
    case TCommandId::LevelOfDetail: return LevelOfDetailClick(Argument);
    case TCommandId::FitSphere: return FitSphereClick();
    case TCommandId::SavePicture: return SavePictureClick();
    case TCommandId::Export: return ExportClick();
    case TCommandId::SaveModelAs: return SaveModelAsClick();
    case TCommandId::AddHardpoint: return AddHardpointClick(At.x(), At.y());
    case TCommandId::DuplicateHardpoints: return DuplicateHardpointClick();
    case TCommandId::DeleteHardpoints: return DeleteHardpointClick();
    case TCommandId::RenameHardpoint: return RenameHardpointClick();
    case TCommandId::ResetView: return ResetViewClick();
    case TCommandId::KeepProportions: return KeepProportionsClick();
    case TCommandId::ShowNames: return ShowNamesClick();
    case TCommandId::Shading: return ShadingClick(TShading(Argument));
    case TCommandId::TexturesFolder: return TexturesFolderClick();
  }
}

QMenu* TForm1::DrawingMenu(QPoint At) {
  auto* Menu = new QMenu(this);
  Menu->setObjectName("DrawingMenu");
  AddMenuEntries(Menu, DrawingMenuEntries(CommandState()), At);
  return Menu;
}

void TForm1::FormContextMenu(const QPoint& GlobalPosition) {
  std::unique_ptr<QMenu> Menu(DrawingMenu(GLView->mapFromGlobal(GlobalPosition)));
  Menu->exec(GlobalPosition);
}

void TForm1::LevelOfDetailClick(int Level) { Document.SwitchLevel(Level); }

const TModelLevels& TForm1::ModelLevels() const {
  static const TModelLevels None;
  return Model ? Model->Levels() : None;
}

// A drag under way is cancelled first (by the document), its caption too.
void TForm1::UndoClick() {
  Document.Undo();
  setWindowTitle(Text(FCaption));
}
void TForm1::RedoClick() {
  Document.Redo();
  setWindowTitle(Text(FCaption));
}

void TForm1::ResetViewClick() {
  // The views' turn is how the user looks, not the file's content: no step.
  Tools.Cancel();
  for (float& Angle : View.Angles) Angle = 0;
  setWindowTitle(Text(FCaption));
  Paint();
}

void TForm1::ShowNamesClick() {
  View.ShowNames = !View.ShowNames;
  Paint();
}

void TForm1::KeepProportionsClick() {
  View.KeepProportions = !View.KeepProportions;
  if (FContextLive) {
    const qreal Ratio = GLView->devicePixelRatioF();
    FormResize(int(GLView->width() * Ratio), int(GLView->height() * Ratio));
  }
  Paint();
}

void TForm1::ShadingClick(TShading Shading) {
  View.Shading = Shading;
  Paint();
}

std::string TForm1::TexturesFolder() const {
  return View.TexturesFolder.empty() ? ModelFolder(ModelFileName) : View.TexturesFolder;
}

void TForm1::TexturesFolderClick() {
  const std::optional<std::string> Chosen = FServices.ChooseFolder(this, "Textures Folder", TexturesFolder());
  if (!Chosen) return;
  View.TexturesFolder = *Chosen;
  RemakeTextures();
  Paint();
}

void TForm1::RemakeTextures() {
  // The old textures are released in the context they were loaded in, which
  // every handler makes current.
  FTextures.reset();
  FTextures = std::make_unique<TFaceTextures>(TexturesFolder());
  FTexturesNoteShown = false;
}

void TForm1::ShowTexturesNote() {
  // Said once for each load or folder: the paint runs every tick.
  if (FTexturesNoteShown || View.Shading != TShading::Textured || !FTextures) return;
  std::string Note = FTextures->Note();
  if (Note.empty()) return;
  FTexturesNoteShown = true;
  while (!Note.empty() && Note.back() == '\n') Note.pop_back();
  // Never inside Qt's paint of the view.
  QMetaObject::invokeMethod(
      this,
      [this, Note] {
        FReporting = true;
        FServices.ShowInformation(this, Note);
        FReporting = false;
      },
      Qt::QueuedConnection);
}

std::string TForm1::DialogFolder() const {
  if (!FLastDialogFolder.empty()) return FLastDialogFolder;
  if (ModelFileName.empty()) return {};
  return std::filesystem::path(ModelFileName).parent_path().string();
}

void TForm1::RememberDialogFolder(const std::string& ChosenFile) {
  const std::string Folder = std::filesystem::path(ChosenFile).parent_path().string();
  if (!Folder.empty()) FLastDialogFolder = Folder;
}

std::optional<std::string> TForm1::ChooseSaveFile(TSaveDialogOptions Options) {
  Options.InitialFolder = DialogFolder();
  std::optional<std::string> Chosen = FServices.SaveFile(this, Options);
  if (Chosen) RememberDialogFolder(*Chosen);
  return Chosen;
}

void TForm1::FitSphereClick() {
  if (!Model) return;
  const TFittedSphere Fitted = FitModelSphere(ModelFileName, std::nullopt);
  // The exact fitted floats go into the values: the boxes' three decimals
  // could make the sphere smaller than the model.
  Document.ChangeSphere({Fitted.Center[0], Fitted.Center[1], Fitted.Center[2], Fitted.Radius}, "Fit Sphere to Model");
}

void TForm1::SavePictureClick() {
  if (!Model) return;
  TSaveDialogOptions Options;
  Options.Filter = "PNG Pictures (*.png)|*.png";
  Options.DefaultExt = ".png";
  const std::optional<std::string> Chosen = ChooseSaveFile(Options);
  if (!Chosen) return;
  CheckPictureFileName(*Chosen);
  TViewOptions Shown = View;
  Shown.Width = GLView->width();
  Shown.Height = GLView->height();
  Shown.TexturesFolder = TexturesFolder();
  const TPictureRequest Request = DocumentPictureRequest(Document, Shown);
  // The picture is painted on a context of its own, which the system's GL
  // dispatch lets a thread make current only while no window context is.
  TSlotContextReleased WindowContext(0, FContextLive);
  RenderModelPicture(Request, *Chosen);
}

void TForm1::ExportClick() {
  if (!Model) return;
  TSaveDialogOptions Options;
  Options.Filter = "glTF Binary (*.glb)|*.glb|glTF (*.gltf)|*.gltf|Wavefront OBJ (*.obj)|*.obj";
  Options.DefaultExt = ".glb";
  const std::optional<std::string> Chosen = ChooseSaveFile(Options);
  if (!Chosen) return;
  TExportOptions Export;
  Export.LOD = ModelLOD;  // the level shown
  // The hardpoints as edited and the sphere shown, which may differ from the
  // file's.
  Export.Sphere = Document.Sphere();
  Export.Hardpoints = ModelHardpoints(Document.Hardpoints());
  std::ostringstream Warnings;
  ExportModel(ModelFileName, *Chosen, Export, Warnings);
  const bool EditedHardpoints = Document.HardpointsDifferFromFile();
  Document.HardpointsCopied();
  // What the export left out is said, as the command line says it on
  // standard error; the file is written all the same.
  std::string Said = Warnings.str() + ExportDifferenceNote(Document.SphereUnsaved(), EditedHardpoints);
  while (!Said.empty() && Said.back() == '\n') Said.pop_back();
  if (!Said.empty()) FServices.ShowInformation(this, Said);
}

// ---- the hardpoints ----

void TForm1::AddHardpointClick(int X, int Y) {
  if (const std::optional<TModelPoint> Point = AddPointInView(SceneState(), GLView->width(), GLView->height(), X, Y))
    AddHardpointAt(Document, *Point);
}

void TForm1::DuplicateHardpointClick() { DuplicateSelectedHardpoints(Document); }

void TForm1::DeleteHardpointClick() { DeleteSelectedHardpoints(Document); }

void TForm1::RenameHardpointClick() {
  Document.CancelGesture();
  const TDocumentHardpoint* Selected = SelectedHardpoint();
  if (Selected == nullptr) return;
  const THardpointId Id = Selected->Id;
  // The box shows and takes text; the model holds the name as 8-bit bytes.
  const std::string Shown = QString::fromLatin1(Selected->Name.c_str()).toStdString();
  const std::string Typed = FServices.InputBox(this, "Rename Hardpoint", "Name:", Shown);
  if (Typed == Shown) return;  // cancelled, or left as it was
  const std::string Name = HardpointNameFromText(Typed);
  if (NameUsedByAnother(Document, Id, Name) &&
      FServices.Ask(this, "Rename Hardpoint",
                    "Another hardpoint is already named \"" + Typed +
                        "\". The file can hold both, but a tool that finds a hardpoint by its name finds only one "
                        "of them. Use the name all the same?",
                    {"Rename", "Cancel"}) != 0)
    return;
  Document.RenameHardpoint(Id, Name, "Rename Hardpoint");
}

void TForm1::SaveModelAsClick() {
  if (!Model) return;
  TSaveDialogOptions Options;
  Options.Filter = "IFF Files (*.iff)|*.iff";
  Options.DefaultExt = ".iff";
  const std::optional<std::string> Chosen = ChooseSaveFile(Options);
  if (!Chosen) return;
  SaveModelAs(Document, *Chosen);
  FServices.ShowInformation(this, SavedModelMessage(*Chosen));
}

TGridTexts TForm1::GridTexts() const {
  TGridTexts Texts;
  for (int I = 0; I < 16; ++I) Texts[I] = edH[I]->text().toStdString();
  return Texts;
}

void TForm1::SetGridTexts(const TGridTexts& Texts) {
  for (int I = 0; I < 16; ++I)
    if (edH[I]->text().toStdString() != Texts[I]) edH[I]->setText(Text(Texts[I]));
}

void TForm1::lbHardsClick() { lbHardsClick(lbHards->ItemIndex(), false, false); }

void TForm1::lbHardsClick(int Row, bool Toggle, bool Extend) {
  if (Row < 0 || Row >= int(Document.Hardpoints().size())) return;
  if (Extend)
    Document.SelectRange(Row);
  else if (Toggle)
    Document.ToggleSelected(Row);
  else
    Document.Select(Row);
  // The list shows the document's selection, also where the click changed
  // nothing (the only selected entry toggled).
  ShowHardpointList();
}

void TForm1::lbHardsSelectAll() {
  std::vector<THardpointId> All;
  for (const TDocumentHardpoint& Hardpoint : Document.Hardpoints()) All.push_back(Hardpoint.Id);
  const TDocumentHardpoint* Current = Document.SelectedHardpoint();
  Document.SelectHardpoints(All, Current ? Current->Id : 0);
  ShowHardpointList();
}

void TForm1::edH1KeyPress(TKeyPressEdit* Sender, char16_t& Key) {
  // Typing one number into one box is one change, until Enter ends it.
  const int Box = int(std::find(edH.begin(), edH.end(), Sender) - edH.begin());
  if (const TDocumentHardpoint* Selected = Document.SelectedHardpoint())
    StoreGrid("Hardpoint Edit", TMergeKey{TMergeKey::TKind::GridBox, Selected->Id, Box});
  if (Key == u'\r') Document.SealHistory();
}

void TForm1::StoreGrid(const std::string& StepName, std::optional<TMergeKey> Merge) {
  const TDocumentHardpoint* Selected = Document.SelectedHardpoint();
  if (Selected == nullptr) return;
  THardpointMatrix Matrix = Selected->Matrix;
  ::StoreGrid(GridTexts(), Matrix);
  // The boxes keep the texts as typed.
  FKeepGridTexts = true;
  Document.ChangeMatrix(Selected->Id, Matrix, StepName, Merge);
  FKeepGridTexts = false;
}

void TForm1::NormaliseRowClick(int Row) {
  TGridTexts Texts = GridTexts();
  NormaliseRow(Texts, Row);
  SetGridTexts(Texts);
  StoreGrid("Unit Row");
}

void TForm1::Button3Click() { NormaliseRowClick(0); }
void TForm1::Button4Click() { NormaliseRowClick(1); }
void TForm1::Button5Click() { NormaliseRowClick(2); }

void TForm1::Button6Click() {
  const TDocumentHardpoint* Selected = Document.SelectedHardpoint();
  if (Selected == nullptr) return;
  TGridTexts Texts = GridTexts();
  CreateRotation(Selected->Matrix, Texts,
                 [this](const std::string& Caption, const std::string& Prompt, const std::string& DefaultText) {
                   std::string Answer = FServices.InputBox(this, Caption, Prompt, DefaultText);
                   // The dialog's own drawing may have left another context
                   // current; the rotation is built on the window's.
                   ActivateRenderContext(0);
                   return Answer;
                 });
  SetGridTexts(Texts);
  StoreGrid("Rotation");
}

void TForm1::Button7Click() {
  // Without a model there is nothing to copy; the clipboard keeps its text.
  if (!Model) return;
  FServices.SetClipboardText(HardpointScriptText(*Model));
  Document.HardpointsCopied();
}

// ---- the mouse: the drawing's tools ----

void TForm1::FormMouseDown(Qt::MouseButton Button, int X, int Y) {
  Tools.SetDrawingSize(GLView->width(), GLView->height());
  Tools.Press({X, Y, FSnapHeld, FExtendHeld}, Button == Qt::LeftButton);
}

void TForm1::FormMouseMove(int X, int Y) {
  const qreal Ratio = GLView->devicePixelRatioF();
  View.Pointer = std::array<int, 2>{int(std::floor(X * Ratio)), int(std::floor(Y * Ratio))};
  if (!Tools.Dragging()) {
    PointerMoved();
    return;
  }
  Tools.Move({X, Y, FSnapHeld, FExtendHeld});
  if (Tools.Turning())
    setWindowTitle(
        Text(FormatFixed2(ViewAngles[0]) + ", " + FormatFixed2(ViewAngles[1]) + ", " + FormatFixed2(ViewAngles[2])));
  // The drawing follows the hand at once, not at the next tick.
  Paint();
}

void TForm1::FormMouseLeave() {
  View.Pointer.reset();
  PointerMoved();
}

void TForm1::PointerMoved() {
  // Only the names follow the pointer, and only when it reaches or leaves a
  // marker: any other move repaints nothing.
  if (View.ShowNames && FScene.Changed(SceneState(), GLView->DeviceWidth(), GLView->DeviceHeight())) Paint();
}

void TForm1::FormMouseUp(Qt::MouseButton Button, int X, int Y) {
  Tools.Release({X, Y, FSnapHeld, FExtendHeld}, Button == Qt::LeftButton);
  // The angles stay; the caption names the file again.
  setWindowTitle(Text(FCaption));
}

// ---- Qt's events ----

void TForm1::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  if (!FShownOnce) {
    FShownOnce = true;
    // The up/down control writes its position into the box as it is set up,
    // which gives the zoom.
    Handle([this] { UpDown1->WritePosition(); });
  }
}

void TForm1::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  GLView->setGeometry(0, 0, width(), height());
}

void TForm1::closeEvent(QCloseEvent* Event) {
  // Unsaved work is not closed away without asking; a save that fails keeps
  // the window open with its message.
  bool MayClose = false;
  Handle([&] { MayClose = MayDiscardWork(); });
  if (!MayClose) {
    Event->ignore();
    return;
  }
  if (FContextLive) Handle([this] { FormClose(); });
  Event->accept();
}

std::string TForm1::DroppedModelFile(const QMimeData* Data) {
  if (Data == nullptr || !Data->hasUrls() || Data->urls().size() != 1) return {};
  const QUrl Url = Data->urls().first();
  if (!Url.isLocalFile()) return {};
  const QString Path = Url.toLocalFile();
  if (!Path.endsWith(".iff", Qt::CaseInsensitive)) return {};
  return Path.toStdString();
}

void TForm1::dragEnterEvent(QDragEnterEvent* Event) {
  if (!DroppedModelFile(Event->mimeData()).empty()) Event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* Event) {
  const std::string FileName = DroppedModelFile(Event->mimeData());
  if (FileName.empty()) return;
  Event->acceptProposedAction();
  // As the load command: an existing file only.
  Handle([this, FileName] {
    if (FServices.FileExists(FileName) && MayDiscardWork()) LoadMesh(FileName);
  });
}

bool TForm1::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == GLView) {
    switch (Event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseMove:
      case QEvent::MouseButtonRelease: {
        auto* Mouse = static_cast<QMouseEvent*>(Event);
        const QPoint At = Mouse->position().toPoint();
        const QEvent::Type Type = Event->type();
        FSnapHeld = Mouse->modifiers().testFlag(Qt::ControlModifier);
        FExtendHeld = Mouse->modifiers().testFlag(Qt::ShiftModifier);
        Handle([&] {
          if (Type == QEvent::MouseButtonPress)
            FormMouseDown(Mouse->button(), At.x(), At.y());
          else if (Type == QEvent::MouseMove)
            FormMouseMove(At.x(), At.y());
          else
            FormMouseUp(Mouse->button(), At.x(), At.y());
        });
        return true;
      }
      case QEvent::Leave: Handle([this] { FormMouseLeave(); }); break;
      case QEvent::ContextMenu: {
        auto* Asked = static_cast<QContextMenuEvent*>(Event);
        // From the keyboard the menu opens over the drawing's middle.
        FormContextMenu(Asked->reason() == QContextMenuEvent::Mouse
                            ? Asked->globalPos()
                            : GLView->mapToGlobal(QPoint(GLView->width() / 2, GLView->height() / 2)));
        return true;
      }
      case QEvent::KeyPress: {
        auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->key() == Qt::Key_Escape && Tools.Dragging()) {
          // The drag under way goes back; nothing of it is kept.
          Handle([this] {
            Tools.Cancel();
            setWindowTitle(Text(FCaption));
            Paint();
          });
          return true;
        }
        if (const std::optional<TCommandId> Command = DrawingKeyCommand(*Key)) {
          Handle([this, Command] {
            if (CommandEnabled(*Command, CommandState())) RunCommand(*Command, 0, {});
          });
          return true;
        }
        if (Key->key() == Qt::Key_Menu || (Key->key() == Qt::Key_F10 && Key->modifiers() == Qt::ShiftModifier)) {
          FormContextMenu(GLView->mapToGlobal(QPoint(GLView->width() / 2, GLView->height() / 2)));
          return true;
        }
        break;
      }
      case QEvent::Wheel: {
        // One notch (120) is one step of the up/down control, so box,
        // control and zoom stay in step.
        auto* Wheel = static_cast<QWheelEvent*>(Event);
        FWheelRemainder += Wheel->angleDelta().y();
        const int Notches = FWheelRemainder / 120;
        FWheelRemainder -= Notches * 120;
        if (Notches != 0) Handle([&] { UpDown1->Step(Notches); });
        return true;
      }
      default: break;
    }
  }
  return QWidget::eventFilter(Watched, Event);
}
