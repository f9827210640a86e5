#include "app/Unit1.h"

#include <algorithm>
#include <clocale>
#include <sstream>

#include "editor/DocumentPicture.h"
#include "editor/HardpointListEdits.h"
#include "editor/HardpointRename.h"
#include "editor/HardpointScript.h"
#include "editor/ModelSaveAs.h"
#include "editor/SphereFit.h"
#include "editor/WorkQuestions.h"
#include "gl/gltools.h"
#include "gl/qt/QtContextBackend.h"
#include "gl/qt/QtGLView.h"
#include "interchange/DocumentExport.h"
#include "interchange/MeshAsNewModel.h"
#include "interchange/MeshImport.h"
#include "model/TZorvObject.h"
#include "runtime/ErrorMessage.h"
#include "runtime/NumberFormat.h"

namespace {

QString Text(const std::string& Utf8) { return QString::fromStdString(Utf8); }

}  // namespace

TForm1::TForm1(TWindowServices& Services, QWidget* Parent) : QWidget(Parent), FServices(Services) {
  BuildControls();
  ConnectHandlers();
  Handle([this] { FormCreate(); });
  AttachViewHandlers();
}

TForm1::~TForm1() = default;

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
    // The store runs before the control clicked acts (a hardpoint picked
    // in the list takes the number into the one it was typed for); its
    // message opens once the move of the keyboard is done. A move made by
    // a handler itself stores nothing.
    Box->OnExit = [this, Box] {
      if (FHandlerDepth == 0) HandleDeferred([this, Box] { edH1Exit(Box); });
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
        if (FTextures) FTextures = std::make_unique<TFaceTextures>(ShownTexturesFolder(Document, View));
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
    return ErrorMessage(E);
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

// ---- what the document's changes show ----

void TForm1::DocumentChanged(unsigned Changes) {
  // The caption marks unsaved work and names the level, whatever changed.
  FCaption = DocumentCaption(Document);
  if (!Tools.Turning()) setWindowTitle(Text(FCaption));
  if (Changes & TModelDocument::ModelChanged) FPaintFailureShown = false;
  if (Changes & TModelDocument::SphereChanged) {
    if (!FKeepSphereTexts) ShowSphereBoxes();
    CheckBoxTree->setChecked(Document.TreePresent());
    // A new model's Save asks for a file, as Save Model As... does.
    Button2->setEnabled(!Document.SphereFile().empty() || Document.NewModel());
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
  Options.InitialFolder = FDialogFolders.Start(TFileKind::Models, Document.ShownFile());
  std::optional<std::string> Chosen = FServices.OpenFile(this, Options);
  if (Chosen) FDialogFolders.Remember(TFileKind::Models, *Chosen);
  if (Chosen && FServices.FileExists(*Chosen) && MayDiscardWork()) LoadMesh(*Chosen);
}

void TForm1::ImportMeshClick() {
  TOpenDialogOptions Options = OpenDialog1;
  Options.Filter = "Meshes (*.glb *.gltf *.obj)|*.glb;*.gltf;*.obj";
  Options.DefaultExt = ".glb";
  // Meshes of other tools live where exports go.
  Options.InitialFolder = FDialogFolders.Start(TFileKind::Exports, Document.ShownFile());
  std::optional<std::string> Chosen = FServices.OpenFile(this, Options);
  if (Chosen) FDialogFolders.Remember(TFileKind::Exports, *Chosen);
  if (Chosen && FServices.FileExists(*Chosen) && MayDiscardWork()) LoadMesh(*Chosen);
}

void TForm1::LoadMesh(const std::string& FileName) {
  // A model that fails to load changes nothing; one whose sphere fails is
  // shown all the same, so its textures are looked for before the error goes
  // on to be reported.
  const TZorvObject* Shown = Document.Model();
  std::ostringstream Notes;
  try {
    if (IsMeshFileName(FileName))
      OpenMeshAsNewModel(Document, FileName, Notes);
    else
      Document.Load(FileName);
  } catch (...) {
    if (Document.Model() != Shown) RemakeTextures();
    throw;
  }
  RemakeTextures();
  // What the import left out or decided, said once, as the command line
  // says it on standard error.
  Inform(Notes.str());
}

void TForm1::Inform(std::string Note) {
  while (!Note.empty() && Note.back() == '\n') Note.pop_back();
  if (!Note.empty()) FServices.ShowInformation(this, Note);
}

void TForm1::edScaleChange() { View.Scale = ViewScaleFromText(edScale->text().toStdString()); }

// ---- the collision sphere ----

void TForm1::ShowSphereBoxes() {
  EditPosX->setText(Text(FormatFixed3(Document.SphereCenter()[0])));
  EditPosY->setText(Text(FormatFixed3(Document.SphereCenter()[1])));
  EditPosZ->setText(Text(FormatFixed3(Document.SphereCenter()[2])));
  EditDiameter->setText(Text(FormatFixed3(Document.SphereDiameter())));
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
  return SaveAsking(
      Document, Questions(), [this](const std::string& File) { LoadMesh(File); },
      [this] { return SaveModelAsAsked(); });
}

bool TForm1::MayDiscardWork() {
  return ::MayDiscardWork(
      Document, Questions(), [this](const std::string& File) { LoadMesh(File); },
      [this] { return SaveModelAsAsked(); });
}

void TForm1::LevelOfDetailClick(int Level) { Document.SwitchLevel(Level); }

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

void TForm1::TexturesFolderClick() {
  const std::optional<std::string> Chosen =
      FServices.ChooseFolder(this, "Textures Folder", ShownTexturesFolder(Document, View));
  if (!Chosen) return;
  View.TexturesFolder = *Chosen;
  RemakeTextures();
  Paint();
}

void TForm1::RemakeTextures() {
  // The old textures are released in the context they were loaded in, which
  // every handler makes current.
  FTextures.reset();
  FTextures = std::make_unique<TFaceTextures>(ShownTexturesFolder(Document, View));
  FTexturesNoteShown = false;
}

void TForm1::ShowTexturesNote() {
  // Said once for each load or folder: the paint runs every tick.
  if (FTexturesNoteShown || View.Shading != TShading::Textured || !FTextures) return;
  const std::string Note = FTextures->Note();
  if (Note.empty()) return;
  FTexturesNoteShown = true;
  // Never inside Qt's paint of the view.
  QMetaObject::invokeMethod(
      this,
      [this, Note] {
        FReporting = true;
        Inform(Note);
        FReporting = false;
      },
      Qt::QueuedConnection);
}

void TForm1::FitSphereClick() {
  if (!Document.Model()) return;
  const TFittedSphere Fitted = FitModelSphere(Document.FileName(), std::nullopt);
  // The exact fitted floats go into the values: the boxes' three decimals
  // could make the sphere smaller than the model.
  Document.ChangeSphere({Fitted.Center[0], Fitted.Center[1], Fitted.Center[2], Fitted.Radius}, "Fit Sphere to Model");
}

void TForm1::SavePictureClick() {
  const std::optional<std::string> Chosen = AskPictureFile(Document, Questions());
  if (!Chosen) return;
  const TPictureRequest Request = DocumentPictureRequest(Document, View, GLView->width(), GLView->height());
  // The picture is painted on a context of its own, which the system's GL
  // dispatch lets a thread make current only while no window context is.
  TSlotContextReleased WindowContext(0, FContextLive);
  RenderModelPicture(Request, *Chosen);
}

void TForm1::ExportClick() { Inform(ExportAsking(Document, View, Questions())); }

// ---- the hardpoints ----

void TForm1::AddHardpointClick(int X, int Y) {
  if (const std::optional<TModelPoint> Point = AddPointInView(SceneState(), GLView->width(), GLView->height(), X, Y))
    AddHardpointAt(Document, *Point);
}

void TForm1::DuplicateHardpointClick() { DuplicateSelectedHardpoints(Document); }

void TForm1::DeleteHardpointClick() { DeleteSelectedHardpoints(Document); }

void TForm1::RenameHardpointClick() { RenameCurrentHardpoint(Document, Questions()); }

TUserQuestions TForm1::Questions() {
  return {[this](const std::string& Caption, const std::string& Prompt, const std::string& DefaultText) {
            return FServices.InputBox(this, Caption, Prompt, DefaultText);
          },
          [this](const std::string& Caption, const std::string& Text, const std::vector<std::string>& Buttons) {
            return FServices.Ask(this, Caption, Text, Buttons);
          },
          [this](TFileKind Kind, TSaveDialogOptions Options) {
            Options.InitialFolder = FDialogFolders.Start(Kind, Document.ShownFile());
            std::optional<std::string> Chosen = FServices.SaveFile(this, Options);
            if (Chosen) FDialogFolders.Remember(Kind, *Chosen);
            return Chosen;
          },
          [this](const std::string& Caption, const std::vector<TInputField>& Fields) {
            return FServices.InputTexts(this, Caption, Fields);
          }};
}

void TForm1::SaveModelAsClick() { SaveModelAsAsked(); }

bool TForm1::SaveModelAsAsked() {
  const bool NewModel = Document.NewModel();
  const std::optional<std::string> Said = SaveModelAsAsking(Document, Questions());
  if (!Said) return false;
  // The textures of a new model that has its file now are looked for beside it.
  if (NewModel) RemakeTextures();
  FServices.ShowInformation(this, *Said);
  return true;
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
  const bool Enter = Key == u'\r';
  const int Box = int(std::find(edH.begin(), edH.end(), Sender) - edH.begin());
  if (const TDocumentHardpoint* Selected = Document.SelectedHardpoint())
    StoreGrid("Hardpoint Edit", Enter ? TGridStoreMode::Entered : TGridStoreMode::Typing,
              TMergeKey{TMergeKey::TKind::GridBox, Selected->Id, Box}, Box);
  if (Enter) Document.SealHistory();
}

void TForm1::edH1Exit(TKeyPressEdit* Sender) {
  // Leaving a box ends its number as Enter does.
  char16_t Enter = u'\r';
  edH1KeyPress(Sender, Enter);
}

void TForm1::StoreGrid(const std::string& StepName, TGridStoreMode Mode, std::optional<TMergeKey> Merge, int Box) {
  const TDocumentHardpoint* Selected = Document.SelectedHardpoint();
  if (Selected == nullptr) return;
  const TGridStore Store = ::StoreGrid(GridTexts(), Selected->Matrix, Mode, Box);
  if (!Store.Changed) return;
  // The boxes keep the texts as typed.
  FKeepGridTexts = true;
  Document.ChangeMatrix(Selected->Id, Store.Matrix, StepName, Merge);
  FKeepGridTexts = false;
}

void TForm1::NormaliseRowClick(int Row) {
  TGridTexts Texts = GridTexts();
  NormaliseRow(Texts, Row);
  SetGridTexts(Texts);
  StoreGrid("Unit Row", TGridStoreMode::Written);
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
  StoreGrid("Rotation", TGridStoreMode::Written);
}

void TForm1::Button7Click() {
  // Without a model there is nothing to copy; the clipboard keeps its text.
  if (!Document.Model()) return;
  FServices.SetClipboardText(HardpointScriptText(Document.Hardpoints()));
  Document.HardpointsCopied();
}
