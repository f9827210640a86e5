// The window's commands as one table, without a display: the drawing's menu,
// its keys and its enabling are all read from it.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "editor/WindowCommands.h"
#include "model/SampleModel.h"
#include "tests/support/TempDir.h"

namespace {

class WindowCommandsTest : public ::testing::Test {
protected:
  TempDir Dir;
  TModelDocument Document;
  TViewState View;
  TCommandState State() const { return {Document, View}; }

  // Caption -> (enabled, key shown) of every item, submenus' items included.
  std::map<std::string, std::pair<bool, std::string>> Items() const {
    std::map<std::string, std::pair<bool, std::string>> Found;
    std::function<void(const std::vector<TDrawingMenuEntry>&)> Walk = [&](const auto& Entries) {
      for (const TDrawingMenuEntry& Entry : Entries) {
        if (!Entry.Caption.empty()) Found[Entry.Caption] = {Entry.Enabled, Entry.Shortcut};
        Walk(Entry.Items);
      }
    };
    Walk(DrawingMenuEntries(State()));
    return Found;
  }
};

TEST_F(WindowCommandsTest, EachCommandIsDeclaredOnceWithCaptionsAndKeysOfItsOwn) {
  std::set<std::string> Captions, Keys;
  std::set<TCommandId> Ids;
  for (const TWindowCommand& Command : WindowCommands()) {
    EXPECT_TRUE(Ids.insert(Command.Id).second) << Command.Caption;
    EXPECT_TRUE(Captions.insert(Command.Caption).second) << Command.Caption;
    EXPECT_NE(Command.Enabled, nullptr) << Command.Caption;
    for (const char* Key : Command.Keys) EXPECT_TRUE(Keys.insert(Key).second) << Key;
    EXPECT_EQ(&WindowCommand(Command.Id), &Command);
  }
  EXPECT_EQ(Keys,
            (std::set<std::string>{"Ctrl+Z", "Ctrl+Shift+Z", "Ctrl+Y", "Ctrl+Shift+S", "Ctrl+D", "Del", "F2", "Home"}));
}

TEST_F(WindowCommandsTest, AnEmptyDocumentOffersNothingAndALoadedOneWhatItsStateAllows) {
  // Only a new model from a mesh can be made without one shown.
  for (const auto& [Caption, Item] : Items()) EXPECT_EQ(Item.first, Caption == "Import Mesh...") << Caption;

  WriteSampleModel(Dir.File("ship.iff"));
  Document.Load(Dir.File("ship.iff"));
  const std::map<std::string, std::pair<bool, std::string>> Expected = {
      {"Undo", {false, "Ctrl+Z"}},
      {"Redo", {false, "Ctrl+Shift+Z"}},
      {"Level of Detail", {true, ""}},
      {"0000", {true, ""}},
      {"0001", {true, ""}},
      {"0002", {true, ""}},
      {"Make Levels of Detail...", {true, ""}},
      {"Fit Sphere to Model", {true, ""}},
      {"Save Picture...", {true, ""}},
      {"Export...", {true, ""}},
      {"Import Mesh...", {true, ""}},
      {"Save Model As...", {true, "Ctrl+Shift+S"}},
      {"Add Hardpoint", {true, ""}},
      {"Duplicate Hardpoint", {true, "Ctrl+D"}},
      {"Delete Hardpoint", {true, "Del"}},
      {"Rename Hardpoint...", {true, "F2"}},
      {"Reset View", {true, "Home"}},
      {"Keep Proportions", {true, ""}},
      {"Show Names", {true, ""}},
      {"Outlines", {true, ""}},
      {"Solid", {true, ""}},
      {"Textured", {true, ""}},
      {"Textures Folder...", {true, ""}},
  };
  EXPECT_EQ(Items(), Expected);

  // A step names itself in Undo; without hardpoints the hardpoint commands
  // cannot run.
  Document.RemoveHardpoints(Document.SelectedIds(), "Delete Hardpoint");
  EXPECT_EQ(Items().count("Undo Delete Hardpoint"), 1u);
  Document.RemoveHardpoints(
      [&] {
        std::vector<THardpointId> All;
        for (const TDocumentHardpoint& Hardpoint : Document.Hardpoints()) All.push_back(Hardpoint.Id);
        return All;
      }(),
      "Delete Hardpoint");
  EXPECT_FALSE(CommandEnabled(TCommandId::DeleteHardpoints, State()));
  EXPECT_FALSE(CommandEnabled(TCommandId::RenameHardpoint, State()));
  EXPECT_TRUE(CommandEnabled(TCommandId::AddHardpoint, State()));
}

TEST_F(WindowCommandsTest, TicksFollowTheViewsStateAndExactlyOneDisplayModeIsTicked) {
  WriteSampleModel(Dir.File("ship.iff"));
  Document.Load(Dir.File("ship.iff"));
  View.ShowNames = true;
  View.Shading = TShading::Solid;
  std::vector<std::string> Ticked;
  for (const TDrawingMenuEntry& Entry : DrawingMenuEntries(State())) {
    if (Entry.Checked) Ticked.push_back(Entry.Caption);
    for (const TDrawingMenuEntry& Item : Entry.Items)
      if (Item.Checked) Ticked.push_back(Item.Caption);
  }
  EXPECT_EQ(Ticked, (std::vector<std::string>{"0001", "Show Names", "Solid"}));
}

}  // namespace
