// `quelbir-cli script FILE --from-gltf EDITED` after the edits Blender and
// its artists make: the export edited here as Blender leaves it (extras
// dropped with its default settings, children sorted by name, its own Cube
// beside the root, names it changed), the script compared with one built
// from the values the edits must give.
#include <gtest/gtest.h>

#include <sstream>
#include <utility>

#include <nlohmann/json.hpp>

#include "editor/HardpointScript.h"
#include "interchange/GltfSphere.h"
#include "tests/model/ModelFixtures.h"
#include "tests/support/CliRun.h"

using namespace ModelFixtures;
using nlohmann::json;

namespace {

const std::string LongName(71, 'L');

std::vector<TSampleHardpoint> ShipHardpoints() {
  std::vector<TSampleHardpoint> H{{"GunLeft"}, {"GunRight"}, {"Cockpit"}, {"GunLeft"}, {LongName}};
  H[0].Matrix[12] = -1, H[1].Matrix[12] = 1, H[2].Matrix[14] = 2, H[3].Matrix[13] = 0.5f;
  H[2].Matrix = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 1};  // turned a quarter about Z
  return H;
}

class HardpointMatchTest : public ::testing::Test {
protected:
  void SetUp() override {
    WriteSingleMeshModel(Dir.File("ship.iff"), Square(1), ShipHardpoints(), nullptr);
    ASSERT_EQ(Cli(Dir, {"export", Dir.File("ship.iff"), "-o", Dir.File("ship.gltf")}).Code, 0);
    Gltf = json::parse(ReadFileBytes(Dir.File("ship.gltf")));
    const json& Children = Gltf["nodes"][0]["children"];
    Hardpoint.assign(Children.begin() + 1, Children.end());  // after the mesh, in the model's order
  }
  // Blender's defaults: no extras, the children in name order, the start-up Cube.
  void AsBlenderDefaults() {
    for (json& Node : Gltf["nodes"]) Node.erase("extras");
    json& Children = Gltf["nodes"][0]["children"];
    std::vector<int> Sorted = Children;
    std::stable_sort(Sorted.begin(), Sorted.end(), [&](int A, int B) { return Name(A) < Name(B); });
    Children = Sorted;
    Gltf["nodes"].push_back({{"name", "Cube"}, {"mesh", 0}});
    Gltf["scenes"][0]["nodes"] = {0, Gltf["nodes"].size() - 1};
  }
  std::string Name(int Node) { return Gltf["nodes"][Node]["name"]; }
  int NodeNamed(const std::string& Wanted) {
    for (size_t I = 0; I < Gltf["nodes"].size(); ++I)
      if (Gltf["nodes"][I].value("name", "") == Wanted) return int(I);
    return -1;
  }
  void WriteEdited() {
    const std::string Text = Gltf.dump();
    WriteFileBytes(Dir.File("edited.gltf"), std::vector<uint8_t>(Text.begin(), Text.end()));
  }
  TRun Script(bool WithModel = true) {
    WriteEdited();
    if (!WithModel) return Cli(Dir, {"script", "--from-gltf", Dir.File("edited.gltf")});
    return Cli(Dir, {"script", Dir.File("ship.iff"), "--from-gltf", Dir.File("edited.gltf")});
  }
  static std::string ScriptOf(const std::vector<TSampleHardpoint>& List) {
    std::vector<THardpoint> Hardpoints(List.size());
    std::vector<const THardpoint*> Pointers;
    for (size_t I = 0; I < List.size(); ++I) {
      Hardpoints[I].Name = List[I].Name;
      Hardpoints[I].Matrix = List[I].Matrix;
      Pointers.push_back(&Hardpoints[I]);
    }
    return HardpointScriptText(Pointers);
  }
  TempDir Dir;
  json Gltf;
  std::vector<int> Hardpoint;  // the node of each of the model's hardpoints
};

TEST_F(HardpointMatchTest, BlenderDefaultsGiveTheModelsScriptBack) {
  AsBlenderDefaults();
  // Blender numbers the second "GunLeft" and cuts the long name to 63 bytes.
  Gltf["nodes"][Hardpoint[3]]["name"] = "GunLeft.001";
  Gltf["nodes"][Hardpoint[4]]["name"] = LongName.substr(0, 63);
  const TRun Back = Script();
  EXPECT_EQ(Back.Err, "");
  EXPECT_EQ(Back.Code, 0);
  EXPECT_EQ(Back.Out, ScriptOf(ShipHardpoints()));

  // Without the model: the root, not the Cube, in the order Blender left.
  const TRun Alone = Script(false);
  EXPECT_EQ(Alone.Code, 0) << Alone.Err;
  EXPECT_EQ(std::count(Alone.Out.begin(), Alone.Out.end(), '\n'), std::count(Back.Out.begin(), Back.Out.end(), '\n'));
}

TEST_F(HardpointMatchTest, MovedScaledReparentedAddedAndMissingHardpointsAreSaid) {
  std::vector<TSampleHardpoint> Expected = ShipHardpoints();
  // GunLeft moved 3 along X; GunRight scaled up to be seen better.
  Gltf["nodes"][NodeNamed("GunRight")]["matrix"] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 0, 0, 1};
  json& GunLeft = Gltf["nodes"][NodeNamed("GunLeft")];
  GunLeft["matrix"][12] = 2;
  Expected[0].Matrix[12] = 2;
  // Cockpit put under the mesh node, which moved up 1: the same place in the model's frame.
  const int Cockpit = NodeNamed("Cockpit");
  Gltf["nodes"][1]["translation"] = {0, 0, 1};
  Gltf["nodes"][1]["children"] = {Cockpit};
  Gltf["nodes"][Cockpit]["matrix"][14] = 1;
  json& Children = Gltf["nodes"][0]["children"];
  Children.erase(std::find(Children.begin(), Children.end(), Cockpit));
  // The long-named one deleted; an empty added under the root, without marks.
  Children.erase(std::find(Children.begin(), Children.end(), NodeNamed(LongName)));
  Gltf["nodes"].push_back({{"name", "GunCentre"}, {"translation", {0, 0, -3}}});
  Children.push_back(Gltf["nodes"].size() - 1);

  const TRun Back = Script();
  EXPECT_EQ(Back.Code, 0);
  EXPECT_EQ(Back.Err,
            "GunLeft: moved by 3.000\n"
            "GunRight: its transform carried a scale or shear; the hardpoint keeps unit, perpendicular axes\n" +
                LongName + ": missing from " + Dir.File("edited.gltf") + "; kept as the model has it\n" +
                "GunCentre: added\n");
  TSampleHardpoint Centre{"GunCentre"};
  Centre.Matrix[14] = -3;
  Expected.push_back(Centre);
  EXPECT_EQ(Back.Out, ScriptOf(Expected));
}

TEST_F(HardpointMatchTest, ACopyMadeInBlenderIsNamedAsDuplicateHardpointNamesACopy) {
  // Shift+D on "Cockpit": the copy keeps the extras, so its original's name too.
  json Copy = Gltf["nodes"][NodeNamed("Cockpit")];
  Copy["name"] = "Cockpit.001";
  Copy["matrix"][12] = 4;
  Gltf["nodes"].push_back(Copy);
  Gltf["nodes"][0]["children"].push_back(Gltf["nodes"].size() - 1);
  const TRun Back = Script();
  EXPECT_EQ(Back.Code, 0);
  EXPECT_EQ(Back.Err, "Cockpit.001: added as Cockpit2\n");
  std::vector<TSampleHardpoint> Expected = ShipHardpoints();
  Expected.push_back(Expected[2]);
  Expected.back().Name = "Cockpit2";
  Expected.back().Matrix[12] = 4;
  EXPECT_EQ(Back.Out, ScriptOf(Expected));
  // Without the model, the same name; the model's own two "GunLeft" stay.
  const TRun Alone = Script(false);
  EXPECT_EQ(Alone.Err, "Cockpit.001: named Cockpit2, as another hardpoint has its name\n");
  // apply writes what script prints.
  EXPECT_EQ(
      Cli(Dir, {"apply", Dir.File("ship.iff"), "-o", Dir.File("new.iff"), "--from-gltf", Dir.File("edited.gltf")}).Err,
      "Cockpit.001: added as Cockpit2\n");
  EXPECT_EQ(Cli(Dir, {"script", Dir.File("new.iff")}).Out, ScriptOf(Expected));
}

TEST_F(HardpointMatchTest, TheSphereComesBackMovedAndScaledAndIsWrittenAsSetWritesIt) {
  const TSampleSphere Sphere{{0, 0.5f, 1}, 2, true};
  WriteSingleMeshModel(Dir.File("ship.iff"), Square(1), ShipHardpoints(), &Sphere);
  ASSERT_EQ(Cli(Dir, {"export", Dir.File("ship.iff"), "-o", Dir.File("ship.gltf")}).Code, 0);
  Gltf = json::parse(ReadFileBytes(Dir.File("ship.gltf")));
  json& Node = Gltf["nodes"][NodeNamed("COLL SPHR")];
  Node["translation"] = {1, 2, 3};
  Node["scale"] = {3, 3, 2.5};  // stretched: the largest scale encloses
  Node.erase("extras");
  Script();
  const std::vector<uint8_t> Before = ReadFileBytes(Dir.File("ship.iff"));
  TRun R = Cli(Dir, {"sphere", Dir.File("ship.iff"), "--from-gltf", Dir.File("edited.gltf")});
  EXPECT_EQ(R.Out, "1 2 3 3\n");
  EXPECT_EQ(R.Err, "COLL SPHR: scaled unevenly; the sphere takes the largest of its three scales\n");
  EXPECT_EQ(ReadFileBytes(Dir.File("ship.iff")), Before);
  R = Cli(Dir, {"sphere", Dir.File("ship.iff"), "--from-gltf", Dir.File("edited.gltf"), "--write"});
  EXPECT_EQ(R.Code, 0);
  EXPECT_EQ(Cli(Dir, {"sphere", Dir.File("ship.iff")}).Out, "1 2 3 3\n");
}

// What `apply` says of the sphere it takes, by the same measures as for a
// hardpoint; nothing when no bit changed.
TEST(GltfSphereChange, SaysHowFarItMovedAndHowItsValueChanged) {
  const std::array<float, 4> Model{0, 0.5f, 1, 2};
  for (const auto& [Edited, Said] : std::vector<std::pair<std::array<float, 4>, std::string>>{
           {Model, ""},
           {{3, 4.5f, 1, 2}, "COLL SPHR: moved by 5.000\n"},
           {{0, 0.5f, 1, 2.5f}, "COLL SPHR: \"Diameter:\" 2.000 -> 2.500\n"},
           {{0, 0.5f, 2, 1}, "COLL SPHR: moved by 1.000, \"Diameter:\" 2.000 -> 1.000\n"},
           {{0, 0.5f, 1.0001f, 2}, "COLL SPHR: changed\n"},
       }) {
    std::ostringstream Changes;
    SayGltfSphereChange(Model, Edited, Changes);
    EXPECT_EQ(Changes.str(), Said);
  }
}

// Flattened to a point or a disc, or put through a projection: no sphere
// to store, and the model keeps its own.
TEST_F(HardpointMatchTest, WhatIsNotASphereIsRefusedAndNothingIsWritten) {
  const TSampleSphere Sphere{{0, 0.5f, 1}, 2, true};
  WriteSingleMeshModel(Dir.File("ship.iff"), Square(1), ShipHardpoints(), &Sphere);
  ASSERT_EQ(Cli(Dir, {"export", Dir.File("ship.iff"), "-o", Dir.File("ship.gltf")}).Code, 0);
  const json Exported = json::parse(ReadFileBytes(Dir.File("ship.gltf")));
  const std::vector<uint8_t> Before = ReadFileBytes(Dir.File("ship.iff"));
  const std::string Refused =
      "GltfHardpoints: the collision sphere in " + Dir.File("edited.gltf") + " is not a sphere: ";
  const std::string Zero = Refused + "its scale is zero along an axis\n";
  const std::string Projected = Refused + "its transform is not affine (last row not 0 0 0 1)\n";
  const json Matrix0 = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 0};
  const json Matrix2 = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 2};
  for (const auto& [Key, Value, Message] :
       std::vector<std::tuple<std::string, json, std::string>>{{"scale", {0, 0, 0}, Zero},
                                                               {"scale", {2, 2, 0}, Zero},
                                                               {"matrix", Matrix0, Projected},
                                                               {"matrix", Matrix2, Projected}}) {
    SCOPED_TRACE(Value.dump());
    Gltf = Exported;
    json& Node = Gltf["nodes"][NodeNamed("COLL SPHR")];
    Node.erase("matrix"), Node.erase("scale");
    Node[Key] = Value;
    WriteEdited();
    const TRun R = Cli(Dir, {"sphere", Dir.File("ship.iff"), "--from-gltf", Dir.File("edited.gltf"), "--write"});
    EXPECT_EQ(R.Err, Message);
    EXPECT_EQ(R.Code, 1);
    EXPECT_EQ(ReadFileBytes(Dir.File("ship.iff")), Before);
  }
}

TEST_F(HardpointMatchTest, WhatCannotBeMatchedOrToldApartIsAnError) {
  // Two top nodes both holding empties: neither is the root.
  AsBlenderDefaults();
  Gltf["nodes"].push_back({{"name", "Other"}, {"children", Gltf["nodes"][0]["children"]}});
  Gltf["nodes"][0]["name"] = "Mine";
  Gltf["scenes"][0]["nodes"] = {0, Gltf["nodes"].size() - 1};
  TRun R = Script(false);
  EXPECT_EQ(R.Err, "GltfHardpoints: cannot tell which node of " + Dir.File("edited.gltf") +
                       " holds the hardpoints: \"Mine\", \"Other\"\n");
  EXPECT_EQ(R.Code, 1);

  // One root, but none of the model's hardpoints in it.
  Gltf["scenes"][0]["nodes"] = {0};
  for (int Child : Gltf["nodes"][0]["children"]) Gltf["nodes"][Child]["name"] = "Renamed" + std::to_string(Child);
  R = Script();
  EXPECT_EQ(R.Err, "GltfHardpoints: none of the model's hardpoints is found in " + Dir.File("edited.gltf") + "\n");
  EXPECT_EQ(R.Code, 1);
}

}  // namespace
