#pragma once
// The window's commands, each declared once, without a toolkit: its caption,
// its keys, where the keys reach, and when it can be chosen and is ticked, as
// the document and the views' state decide them. The drawing's menu, the
// keyboard's shortcuts and the keys shown beside the menu's captions are all
// built from this one table; the window turns its entries into actions and
// runs the command chosen.
#include <span>
#include <string>
#include <vector>

#include "editor/ModelDocument.h"
#include "editor/ViewState.h"
#include "model/ShadedDrawing.h"

enum class TCommandId {
  Undo,
  Redo,
  LevelOfDetail,  // Argument: the level's index among the file's levels
  MakeLevels,     // levels of detail made from level "0000"
  FitSphere,
  SavePicture,
  Export,
  ImportMesh,  // another tool's mesh as a new model
  SaveModelAs,
  AddHardpoint,  // at the point right-clicked
  DuplicateHardpoints,
  DeleteHardpoints,
  RenameHardpoint,
  ResetView,
  KeepProportions,
  ShowNames,
  Shading,  // Argument: the TShading chosen
  TexturesFolder,
};

// What a command's caption, enabling and tick read.
struct TCommandState {
  const TModelDocument& Document;
  const TViewState& View;
};

// Where a command's keys act.
enum class TKeyReach {
  Window,         // anywhere in the window
  TextOutside,    // anywhere but in an edit box, whose own key comes first
  DrawingOrList,  // only where a hardpoint is what has the focus: the drawing and the list
  Drawing,        // only on the drawing (the list's own keys move in it)
};

// A command that stands for several menu items, one per choice.
enum class TCommandFamily {
  Single,
  Levels,    // a submenu of the file's levels, the one shown ticked
  Shadings,  // one item per display mode, exactly one ticked
};

struct TWindowCommand {
  TCommandId Id;
  const char* Caption;
  // The keys that run it, as a key sequence's text ("Ctrl+D"); the first is
  // the one the menu shows.
  std::vector<const char*> Keys;
  TKeyReach Reach = TKeyReach::Window;
  bool (*Enabled)(const TCommandState& State) = nullptr;
  bool (*Ticked)(const TCommandState& State) = nullptr;  // none: not a tick
  // The caption as the state makes it (Undo names its step); none: Caption.
  std::string (*Label)(const TCommandState& State) = nullptr;
  TCommandFamily Family = TCommandFamily::Single;
  bool SeparatorBefore = false;  // in the menu
};

// Every command of the window, in the drawing menu's order.
std::span<const TWindowCommand> WindowCommands();
const TWindowCommand& WindowCommand(TCommandId Id);
// Whether Id can run on State (a key of a command that cannot does nothing).
bool CommandEnabled(TCommandId Id, const TCommandState& State);

// One item of the drawing's menu as the table makes it for a state.
struct TDrawingMenuEntry {
  std::string Caption;  // empty: a separator
  TCommandId Command = TCommandId::Undo;
  int Argument = 0;
  bool Enabled = true;
  bool Checkable = false, Checked = false;
  bool Exclusive = false;  // one of a group of which exactly one is ticked
  std::string Shortcut;    // the key as written beside the caption ("Ctrl+D"); empty: none
  bool Submenu = false;    // a menu of its own, holding Items
  std::vector<TDrawingMenuEntry> Items;
};

// The drawing's menu for State.
std::vector<TDrawingMenuEntry> DrawingMenuEntries(const TCommandState& State);
