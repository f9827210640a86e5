// Where the window's file dialogs start: a folder for each kind of file.
#include <gtest/gtest.h>

#include "editor/DialogFolders.h"

TEST(DialogFolders, EachKindStartsWhereItsLastFileWasChosenElseInTheModelsFolder) {
  TDialogFolders Folders;
  EXPECT_EQ(Folders.Start(TFileKind::Models, ""), "");  // no model, nothing chosen: the working folder
  EXPECT_EQ(Folders.Start(TFileKind::Pictures, "/ships/ship.iff"), "/ships");
  Folders.Remember(TFileKind::Pictures, "/shots/front.png");
  Folders.Remember(TFileKind::Exports, "/out/ship.glb");
  Folders.Remember(TFileKind::Exports, "bare.glb");  // no folder: the last one stays
  EXPECT_EQ(Folders.Start(TFileKind::Pictures, "/ships/ship.iff"), "/shots");
  EXPECT_EQ(Folders.Start(TFileKind::Exports, "/ships/ship.iff"), "/out");
  EXPECT_EQ(Folders.Start(TFileKind::Models, "/ships/ship.iff"), "/ships");
  Folders.Remember(TFileKind::Models, "/mods/other.iff");
  EXPECT_EQ(Folders.Start(TFileKind::Models, "/ships/ship.iff"), "/mods");
}
