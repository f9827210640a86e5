#include "editor/WindowCommands.h"

#include <algorithm>

#include "model/TZorvObject.h"

namespace {

bool Always(const TCommandState&) { return true; }
bool Loaded(const TCommandState& State) { return State.Document.Model() != nullptr; }
// The hardpoint commands need one selected; Add needs only a model.
bool Picked(const TCommandState& State) { return State.Document.SelectedHardpoint() != nullptr; }
// An undo or a redo during a drag cancels the drag first, which is work of
// its own even with no step to take.
bool CanUndo(const TCommandState& State) {
  return State.Document.History().CanUndo() || State.Document.GestureUnderWay();
}
bool CanRedo(const TCommandState& State) {
  return State.Document.History().CanRedo() || State.Document.GestureUnderWay();
}
// A single-mesh file names no levels, and the submenu cannot be opened.
bool HasLevels(const TCommandState& State) { return Loaded(State) && !State.Document.Model()->Levels().Tags.empty(); }

std::string Named(const char* Verb, const std::string& Step) { return Step.empty() ? Verb : Verb + (" " + Step); }

const TWindowCommand Commands[] = {
    {TCommandId::Undo,
     "Undo",
     {"Ctrl+Z"},
     TKeyReach::TextOutside,
     CanUndo,
     nullptr,
     [](const TCommandState& S) { return Named("Undo", S.Document.History().UndoName()); }},
    {TCommandId::Redo,
     "Redo",
     {"Ctrl+Shift+Z", "Ctrl+Y"},
     TKeyReach::TextOutside,
     CanRedo,
     nullptr,
     [](const TCommandState& S) { return Named("Redo", S.Document.History().RedoName()); }},
    {TCommandId::LevelOfDetail,
     "Level of Detail",
     {},
     TKeyReach::Window,
     HasLevels,
     nullptr,
     nullptr,
     TCommandFamily::Levels,
     true},
    {TCommandId::MakeLevels, "Make Levels of Detail...", {}, TKeyReach::Window, Loaded},
    {TCommandId::FitSphere, "Fit Sphere to Model", {}, TKeyReach::Window, Loaded},
    {TCommandId::SavePicture, "Save Picture...", {}, TKeyReach::Window, Loaded},
    {TCommandId::Export, "Export...", {}, TKeyReach::Window, Loaded},
    {TCommandId::ImportMesh, "Import Mesh...", {}, TKeyReach::Window, Always},
    {TCommandId::SaveModelAs, "Save Model As...", {"Ctrl+Shift+S"}, TKeyReach::Window, Loaded},
    {TCommandId::AddHardpoint,
     "Add Hardpoint",
     {},
     TKeyReach::Window,
     Loaded,
     nullptr,
     nullptr,
     TCommandFamily::Single,
     true},
    {TCommandId::DuplicateHardpoints, "Duplicate Hardpoint", {"Ctrl+D"}, TKeyReach::Window, Picked},
    {TCommandId::DeleteHardpoints, "Delete Hardpoint", {"Del"}, TKeyReach::DrawingOrList, Picked},
    {TCommandId::RenameHardpoint, "Rename Hardpoint...", {"F2"}, TKeyReach::Window, Picked},
    {TCommandId::ResetView,
     "Reset View",
     {"Home"},
     TKeyReach::Drawing,
     Loaded,
     nullptr,
     nullptr,
     TCommandFamily::Single,
     true},
    {TCommandId::KeepProportions,
     "Keep Proportions",
     {},
     TKeyReach::Window,
     Loaded,
     [](const TCommandState& S) { return S.View.KeepProportions; }},
    {TCommandId::ShowNames,
     "Show Names",
     {},
     TKeyReach::Window,
     Loaded,
     [](const TCommandState& S) { return S.View.ShowNames; }},
    {TCommandId::Shading,
     "Display Mode",
     {},
     TKeyReach::Window,
     Loaded,
     nullptr,
     nullptr,
     TCommandFamily::Shadings,
     true},
    {TCommandId::TexturesFolder, "Textures Folder...", {}, TKeyReach::Window, Loaded},
};

TDrawingMenuEntry Entry(const TWindowCommand& Command, const TCommandState& State, const std::string& Caption) {
  TDrawingMenuEntry Made;
  Made.Caption = Caption;
  Made.Command = Command.Id;
  Made.Enabled = Command.Enabled(State);
  if (!Command.Keys.empty()) Made.Shortcut = Command.Keys.front();
  return Made;
}

}  // namespace

std::span<const TWindowCommand> WindowCommands() { return Commands; }

const TWindowCommand& WindowCommand(TCommandId Id) {
  return *std::find_if(std::begin(Commands), std::end(Commands),
                       [Id](const TWindowCommand& Command) { return Command.Id == Id; });
}

bool CommandEnabled(TCommandId Id, const TCommandState& State) { return WindowCommand(Id).Enabled(State); }

std::vector<TDrawingMenuEntry> DrawingMenuEntries(const TCommandState& State) {
  std::vector<TDrawingMenuEntry> Menu;
  for (const TWindowCommand& Command : Commands) {
    if (Command.SeparatorBefore) Menu.push_back({});
    const std::string Caption = Command.Label ? Command.Label(State) : Command.Caption;
    switch (Command.Family) {
      case TCommandFamily::Single:
        Menu.push_back(Entry(Command, State, Caption));
        Menu.back().Checkable = Command.Ticked != nullptr;
        Menu.back().Checked = Command.Ticked != nullptr && Command.Ticked(State);
        break;
      case TCommandFamily::Levels: {
        // Every level the file names, the one shown ticked.
        TDrawingMenuEntry Levels = Entry(Command, State, Caption);
        Levels.Submenu = true;
        if (const TZorvObject* Model = State.Document.Model()) {
          const TModelLevels& Found = Model->Levels();
          for (int I = 0; I < int(Found.Tags.size()); ++I) {
            TDrawingMenuEntry Level = Entry(Command, State, Found.Tags[size_t(I)]);
            Level.Enabled = true;
            Level.Argument = I;
            Level.Checkable = true;
            Level.Checked = I == Found.LoadedIndex();
            Levels.Items.push_back(Level);
          }
        }
        Menu.push_back(Levels);
        break;
      }
      case TCommandFamily::Shadings:
        // The display modes, one ticked.
        for (int I = 0; I < ShadingCount; ++I) {
          TDrawingMenuEntry Mode = Entry(Command, State, ShadingNames[I]);
          Mode.Argument = I;
          Mode.Checkable = Mode.Exclusive = true;
          Mode.Checked = TShading(I) == State.View.Shading;
          Menu.push_back(Mode);
        }
        break;
    }
  }
  return Menu;
}
