#include "editor/DrawingMenu.h"

#include "model/TZorvObject.h"

namespace {

TDrawingMenuEntry Item(const std::string& Caption, TDrawingCommand Command, bool Enabled,
                       const std::string& Shortcut = "") {
  TDrawingMenuEntry Entry;
  Entry.Caption = Caption;
  Entry.Command = Command;
  Entry.Enabled = Enabled;
  Entry.Shortcut = Shortcut;
  return Entry;
}

TDrawingMenuEntry Tick(const std::string& Caption, TDrawingCommand Command, bool Enabled, bool Checked) {
  TDrawingMenuEntry Entry = Item(Caption, Command, Enabled);
  Entry.Checkable = true;
  Entry.Checked = Checked;
  return Entry;
}

const TDrawingMenuEntry Separator;

}  // namespace

std::vector<TDrawingMenuEntry> DrawingMenuEntries(const TModelDocument& Document, const TViewState& View,
                                                  TShading Shading) {
  const TZorvObject* Model = Document.Model();
  const bool Loaded = Model != nullptr;
  // The hardpoint commands need one selected; Add needs only a model.
  const bool Picked = Document.SelectedHardpoint() != nullptr;
  const TEditHistory& History = Document.History();
  const std::string UndoName = History.UndoName(), RedoName = History.RedoName();
  std::vector<TDrawingMenuEntry> Menu;
  Menu.push_back(Item(UndoName.empty() ? "Undo" : "Undo " + UndoName, TDrawingCommand::Undo, History.CanUndo()));
  Menu.push_back(Item(RedoName.empty() ? "Redo" : "Redo " + RedoName, TDrawingCommand::Redo, History.CanRedo()));
  Menu.push_back(Separator);

  // Every level the file names, the one shown ticked; a single-mesh file
  // names none, and the submenu cannot be opened.
  TDrawingMenuEntry Levels = Item("Level of Detail", TDrawingCommand::None, false);
  Levels.Submenu = true;
  if (Loaded) {
    const TModelLevels& Found = Model->Levels();
    for (int I = 0; I < int(Found.Tags.size()); ++I) {
      Levels.Items.push_back(
          Tick(Found.Tags[size_t(I)], TDrawingCommand::LevelOfDetail, true, I == Found.LoadedIndex()));
      Levels.Items.back().Argument = I;
    }
    Levels.Enabled = !Found.Tags.empty();
  }
  Menu.push_back(Levels);
  Menu.push_back(Item("Fit Sphere to Model", TDrawingCommand::FitSphere, Loaded));
  Menu.push_back(Item("Save Picture...", TDrawingCommand::SavePicture, Loaded));
  Menu.push_back(Item("Export...", TDrawingCommand::Export, Loaded));
  Menu.push_back(Item("Save Model As...", TDrawingCommand::SaveModelAs, Loaded, "Ctrl+Shift+S"));
  Menu.push_back(Separator);

  Menu.push_back(Item("Add Hardpoint", TDrawingCommand::AddHardpoint, Loaded));
  Menu.push_back(Item("Duplicate Hardpoint", TDrawingCommand::DuplicateHardpoints, Picked, "Ctrl+D"));
  Menu.push_back(Item("Delete Hardpoint", TDrawingCommand::DeleteHardpoints, Picked, "Del"));
  Menu.push_back(Item("Rename Hardpoint...", TDrawingCommand::RenameHardpoint, Picked, "F2"));
  Menu.push_back(Separator);

  Menu.push_back(Item("Reset View", TDrawingCommand::ResetView, Loaded));
  Menu.push_back(Tick("Keep Proportions", TDrawingCommand::KeepProportions, Loaded, View.KeepProportions));
  Menu.push_back(Tick("Show Names", TDrawingCommand::ShowNames, Loaded, View.ShowNames));
  Menu.push_back(Separator);

  // The display modes, one ticked, and where Textured finds its textures.
  for (int I = 0; I < ShadingCount; ++I) {
    Menu.push_back(Tick(ShadingNames[I], TDrawingCommand::Shading, Loaded, TShading(I) == Shading));
    Menu.back().Argument = I;
    Menu.back().Exclusive = true;
  }
  Menu.push_back(Item("Textures Folder...", TDrawingCommand::TexturesFolder, Loaded));
  return Menu;
}
