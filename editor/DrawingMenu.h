#pragma once
// The drawing's context menu, without a toolkit: its entries in order, each
// with its caption, whether it can be chosen now, its tick and its key, as
// the document and the views' state decide them. The window turns the
// entries into its menu and runs the command of the one chosen.
#include <string>
#include <vector>

#include "editor/DrawingTools.h"
#include "editor/ModelDocument.h"
#include "model/ShadedDrawing.h"

enum class TDrawingCommand {
  None,  // a separator or a submenu
  Undo,
  Redo,
  LevelOfDetail,  // Argument: the level's index among the file's levels
  FitSphere,
  SavePicture,
  Export,
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

struct TDrawingMenuEntry {
  std::string Caption;  // empty: a separator
  TDrawingCommand Command = TDrawingCommand::None;
  int Argument = 0;
  bool Enabled = true;
  bool Checkable = false, Checked = false;
  bool Exclusive = false;  // one of a group of which exactly one is ticked
  std::string Shortcut;    // the key as written beside the caption ("Ctrl+D"); empty: none
  bool Submenu = false;    // a menu of its own, holding Items
  std::vector<TDrawingMenuEntry> Items;
};

// The menu for Document shown under View in the display mode Shading.
std::vector<TDrawingMenuEntry> DrawingMenuEntries(const TModelDocument& Document, const TViewState& View,
                                                  TShading Shading);
