#pragma once
// The editor's one window: the drawing of the loaded model in one of four
// view layouts, repainted every 200 ms (and at every step of a mouse drag),
// where a click picks a hardpoint and a drag moves it, with three black
// panels over it for loading and saving, zoom and layout, the collision
// sphere and the hardpoints. The window is a shell: its controls
// (FormControls.cpp), its commands from the editor's one table
// (FormCommands.cpp) and Qt's events (FormEvents.cpp) turn into calls on the
// document, the tools and the editor's flows. An error that escapes a handler
// ends it at the failing step and is shown as a message box with exactly its
// message, and the window goes on with what the finished steps left.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include "app/KeyPressEdit.h"
#include "app/TwoColumnListBox.h"
#include "app/UpDownControl.h"
#include "app/WindowServices.h"
#include "editor/DialogFolders.h"
#include "editor/DrawingTools.h"
#include "editor/HardpointEdits.h"
#include "editor/KeptScene.h"
#include "editor/ModelDocument.h"
#include "editor/Scene.h"
#include "editor/UserQuestions.h"
#include "editor/ViewPicking.h"
#include "editor/WindowCommands.h"

class QKeyEvent;
class QMenu;
class TQtGLView;
class TZorvObject;

class TForm1 : public QWidget {
  Q_OBJECT
public:
  // Builds the window and runs FormCreate. The services outlive the window.
  explicit TForm1(TWindowServices& Services, QWidget* Parent = nullptr);
  ~TForm1() override;

  // Controls, by their names.
  TQtGLView* GLView;  // the drawing, under the panels
  QFrame* Panel1;
  QFrame* Panel2;
  QFrame* Panel3;
  QFrame* Panel4;
  QPushButton* Button1;
  QPushButton* Button2;
  QLabel* Label5;
  TKeyPressEdit* edScale;
  TUpDownControl* UpDown1;
  QLabel* Label6;
  QComboBox* cbView;
  QLabel* Label3;
  QCheckBox* chkHideSphere;
  QLabel* Label1;
  TKeyPressEdit* EditPosX;
  TKeyPressEdit* EditPosY;
  TKeyPressEdit* EditPosZ;
  QLabel* Label2;
  TKeyPressEdit* EditDiameter;
  QCheckBox* CheckBoxTree;
  QLabel* Label4;
  TTwoColumnListBox* lbHards;
  std::array<TKeyPressEdit*, 16> edH;  // edH1..edH16 at index 0..15
  QPushButton* Button3;
  QPushButton* Button4;
  QPushButton* Button5;
  QPushButton* Button6;
  QPushButton* Button7;
  QTimer* Timer1;
  TOpenDialogOptions OpenDialog1;

  // The document: the model, its file, the level, the sphere, the
  // hardpoints, the selection and the history. The window shows it and turns
  // the user's actions into calls on it.
  TModelDocument Document;
  // The views' options (layout, turn, zoom, "Hide", display mode, textures
  // folder...) and the drawing's mouse.
  TViewState View;
  TDrawingTools Tools{Document, View};

  // Handlers and their steps.
  void FormCreate();
  void FormResize(int DeviceWidth, int DeviceHeight);
  void FormPaint();
  void Timer1Timer();
  void FormClose();
  void Button1Click();
  // Opens FileName as the load button, a drop and the command line do: a
  // model file as itself, another tool's mesh as a new model (its import's
  // notes shown once).
  void LoadMesh(const std::string& FileName);
  void edScaleChange();
  void Button2Click();
  void EditPosXKeyPress(TKeyPressEdit* Sender, char16_t& Key);
  // A click on the list's entry Row: it alone, or with Ctrl in or out of
  // the selection, or with Shift the range to it; without arguments, the
  // entry the list has selected, alone.
  void lbHardsClick();
  void lbHardsClick(int Row, bool Toggle, bool Extend);
  // Ctrl+A in the list: every hardpoint.
  void lbHardsSelectAll();
  void edH1KeyPress(TKeyPressEdit* Sender, char16_t& Key);
  // Focus leaving a grid box for another control of the window.
  void edH1Exit(TKeyPressEdit* Sender);
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void FormMouseDown(Qt::MouseButton Button, int X, int Y);
  void FormMouseMove(int X, int Y);
  void FormMouseUp(Qt::MouseButton Button, int X, int Y);
  void FormMouseLeave();
  // The sphere's four values in its boxes, as "0.000".
  void ShowSphereBoxes();
  // The drawing's context menu (right button): built afresh from the
  // window's state, shown at the pointer, its items run as handlers.
  void FormContextMenu(const QPoint& GlobalPosition);
  // At is where the menu was asked for, in the drawing's pixels.
  QMenu* DrawingMenu(QPoint At = {});
  void LevelOfDetailClick(int Level);
  void MakeLevelsClick();
  void UndoClick();
  void RedoClick();
  void FitSphereClick();
  void SavePictureClick();
  // The hardpoints as objects: Add at a point of the drawing (its pixels),
  // Duplicate and Delete of the selected ones, Rename of the current one;
  // Save Model As writes them and the sphere into a new model file.
  void AddHardpointClick(int X, int Y);
  void DuplicateHardpointClick();
  void DeleteHardpointClick();
  void RenameHardpointClick();
  void SaveModelAsClick();
  void ExportClick();
  // "Import Mesh...": a glTF or OBJ mesh chosen, opened as a new model
  // (LoadMesh), after asking about unsaved work.
  void ImportMeshClick();
  // "Reset View" (and Home on the drawing): the views' turn back to none.
  void ResetViewClick();
  // "Keep Proportions": one model unit as many pixels across as up.
  void KeepProportionsClick();
  void ShowNamesClick();
  // "Outlines", "Solid", "Textured": the display mode, kept across loads,
  // level switches and saves.
  void ShadingClick(TShading Shading);
  // "Textures Folder...": where Textured finds the textures; the model's
  // own folder until one is chosen.
  void TexturesFolderClick();
  // Asks before work would be lost (closing, another load): true when the
  // user saved it, discarded it, or there was none; false for Cancel.
  bool MayDiscardWork();

  // The window's paint routine: runs FormPaint while a paint handler is
  // attached.
  void Paint();
  // What one repaint draws.
  TSceneState SceneState() const;
  TGridTexts GridTexts() const;
  void SetGridTexts(const TGridTexts& Texts);
  // How many times FormPaint has run.
  int PaintCount() const { return FPaintCount; }

  // Runs one handler as the window's event loop does: with the window's
  // rendering context current, and with an error that escapes it shown
  // through the services' message box. False when an error ended it.
  bool Handle(const std::function<void()>& Handler);

protected:
  void showEvent(QShowEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  // One control of the form, as ControlTable lists them.
  enum class TBoxColour { None, Teal };  // Teal: a borderless box of the sphere panel
  using TControlMember = std::variant<QFrame * TForm1::*, QLabel * TForm1::*, QPushButton * TForm1::*,
                                      TKeyPressEdit * TForm1::*, TUpDownControl * TForm1::*, QComboBox * TForm1::*,
                                      QCheckBox * TForm1::*, TTwoColumnListBox * TForm1::*>;
  struct TControlRow {
    TControlMember Member;
    QFrame* TForm1::*Parent;  // nullptr: the form
    const char* Name;
    const char* Caption;
    QRect Bounds;
    TBoxColour Colour = TBoxColour::None;
  };
  static std::span<const TControlRow> ControlTable();
  // Creates each row's control on its parent, at its place, with its
  // caption and name, into its member.
  void BuildControlRows(std::span<const TControlRow> Rows);
  void BuildControls();
  void ConnectHandlers();
  void AttachViewHandlers();
  void NormaliseRowClick(int Row);
  // Stores the grid's sixteen texts into the selected hardpoint as the step
  // StepName (merged with the typing before it under Merge), as Mode reads
  // them for box Box; a store that changes no bit is no step.
  void StoreGrid(const std::string& StepName, TGridStoreMode Mode, std::optional<TMergeKey> Merge = std::nullopt,
                 int Box = -1);
  // Shows what the document's change touched.
  void DocumentChanged(unsigned Changes);
  void ShowHardpointList();
  void ShowSelectedMatrix();
  // Save as the button does it; true when the sphere reached the file.
  bool SaveSphere();
  // Save Model As... as the menu runs it; true when the file was written.
  bool SaveModelAsAsked();
  // An error raised inside Qt's own paint or resize is reported once that
  // has returned.
  void HandleDeferred(const std::function<void()>& Handler);
  // FormPaint as HandleDeferred runs it, its error reported once per load.
  void HandlePaint();
  void Report(const std::string& Message);
  // A note on what was done, without its last line breaks; an empty one is
  // not shown.
  void Inform(std::string Note);
  static std::string DroppedModelFile(const QMimeData* Data);
  // Repaints when the pointer's move changes what Show Names shows.
  void PointerMoved();
  // The entries as items of Menu, each running its command as every handler
  // runs (errors to the one report); At is where the menu was asked for (Add
  // Hardpoint puts the hardpoint there).
  void AddMenuEntries(QMenu* Menu, const std::vector<TDrawingMenuEntry>& Entries, QPoint At);
  // Each command's keys as shortcuts of the window, from the one table.
  void ConnectCommandKeys();
  TCommandState CommandState() const { return {Document, View}; }
  // What each command of the table runs.
  void RunCommand(TCommandId Command, int Argument, QPoint At);
  // Runs the command whose key of the drawing Key is; false when none is.
  bool RunDrawingKey(const QKeyEvent& Key);
  // The window's dialogs, as the editor's flows ask their questions.
  TUserQuestions Questions();

  TWindowServices& FServices;
  std::string FCaption = "QUELBIR Editor";  // what the caption shows when not dragging
  bool FContextLive = false;
  bool FShownOnce = false;
  int FHandlerDepth = 0;
  bool FReporting = false;
  int FPaintCount = 0;
  // The drawing: its edge list and its kept picture (what the timer asks
  // whether to repaint).
  TKeptScene FScene;
  bool FPaintFailureShown = false;  // since the last load
  int FWheelRemainder = 0;
  TDialogFolders FDialogFolders;  // where each kind of file dialog starts
  // At the last mouse event: Ctrl held (a move snaps to a vertex, a click
  // toggles) and Shift held (a click adds to the selection).
  bool FSnapHeld = false;
  bool FExtendHeld = false;
  // While typed texts are being stored, their boxes keep them as typed.
  bool FKeepSphereTexts = false;
  bool FKeepGridTexts = false;
  // The textures of the window's context for the views' textures folder,
  // remade on load and on a folder change, with their note on what could not
  // be drawn shown once for each.
  std::unique_ptr<TFaceTextures> FTextures;
  bool FTexturesNoteShown = false;
  void RemakeTextures();
  void ShowTexturesNote();
};
