// The window's commands as the one table (editor/WindowCommands.h) makes
// them: the drawing's menu, the keys, and what each command runs.
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>

#include "app/Unit1.h"
#include "editor/MakeLevelsFlow.h"
#include "gl/qt/QtGLView.h"

namespace {

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

bool TForm1::RunDrawingKey(const QKeyEvent& Key) {
  const std::optional<TCommandId> Command = DrawingKeyCommand(Key);
  if (!Command) return false;
  Handle([this, Command] {
    if (CommandEnabled(*Command, CommandState())) RunCommand(*Command, 0, {});
  });
  return true;
}

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
    case TCommandId::MakeLevels: return MakeLevelsClick();
    case TCommandId::FitSphere: return FitSphereClick();
    case TCommandId::SavePicture: return SavePictureClick();
    case TCommandId::Export: return ExportClick();
    case TCommandId::ImportMesh: return ImportMeshClick();
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

void TForm1::MakeLevelsClick() {
  if (const std::optional<std::string> Note = MakeLevelsAsking(Document, Questions()))
    FServices.ShowInformation(this, *Note);
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
