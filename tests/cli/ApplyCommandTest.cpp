// `quelbir-cli apply` run as a user runs it: a new model file holding the
// hardpoints of a script or a glTF file, read back exactly by the other
// commands, every other byte of the model kept, and refusals that write
// nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include <nlohmann/json.hpp>

#include "model/SampleModel.h"
#include "tests/support/CliRun.h"
#include "tests/support/IffBytes.h"

namespace {

class ApplyCommandTest : public ::testing::Test {
protected:
  void SetUp() override { WriteSampleModel(File); }
  TRun Run(const std::vector<std::string>& Args) { return Cli(Dir, Args); }
  std::string Put(const std::string& Name, const std::string& Text) {
    WriteFileBytes(Dir.File(Name), TBytes(Text.begin(), Text.end()));
    return Dir.File(Name);
  }
  // What check says of a file, with the file's name taken out.
  std::string CheckOf(const std::string& Model) {
    std::string Text = Run({"check", Model}).Out;
    for (size_t At; (At = Text.find(Model)) != std::string::npos;) Text.replace(At, Model.size(), "MODEL");
    return Text;
  }
  // Every byte of the source but FORM "HARD" and the sizes of the forms
  // around it.
  void ExpectOnlyTheHardFormChanged(const std::string& Result) {
    EXPECT_EQ(WithoutForm(ReadFileBytes(Result), "HARD"), WithoutForm(ReadFileBytes(File), "HARD"));
  }
  TempDir Dir;
  std::string File = Dir.File("model.iff"), New = Dir.File("new.iff");
};

}  // namespace

TEST_F(ApplyCommandTest, AScriptBecomesTheHardpointsOfANewFileReadBackExactly) {
  const std::string Script = Run({"script", File}).Out;
  // Moved, renamed, one left out, one added: the text another tool edited.
  std::string Edited = Script;
  auto Replace = [&](const std::string& From, const std::string& To) {
    Edited.replace(Edited.find(From), From.size(), To);
  };
  Replace("float -1.000", "float -1.250");  // GunLeft's x
  Replace("\"GunRight\"", "\"Gun \xE9 Right\"");
  const size_t Last = Edited.rfind("      CHUNK"), End = Edited.rfind("    }\r\n  }");
  std::string Tail = Edited.substr(Last, End - Last);
  Tail.replace(Tail.find("Cockpit"), 7, "Tail");
  Edited.replace(Last, End - Last, Tail);
  for (const bool FromStdin : {false, true}) {
    SCOPED_TRACE(FromStdin ? "standard input" : "file");
    std::filesystem::remove(New);
    std::string Lf = Edited;  // LF line ends read as CR LF do
    for (size_t At; (At = Lf.find('\r')) != std::string::npos;) Lf.erase(At, 1);
    const std::string Text = Put("edited.txt", FromStdin ? Lf : Edited);
    const TRun R = FromStdin ? Cli(Dir, {"apply", File, "-o", New, "--script", "-"}, "", " <" + Quoted(Text))
                             : Run({"apply", File, "-o", New, "--script", Text});
    EXPECT_EQ(R.Code, 0) << R.Err;
    EXPECT_EQ(R.Out, "");
    EXPECT_EQ(R.Err,
              "GunLeft: changed by up to 0.25\nGunRight: left out\nCockpit: left out\nGun \xE9 Right: added\n"
              "Tail: added\n");
    EXPECT_EQ(Run({"script", New}).Out, Edited);
    EXPECT_EQ(Run({"sphere", New}).Out, Run({"sphere", File}).Out);
    EXPECT_EQ(CheckOf(New), CheckOf(File));
    ExpectOnlyTheHardFormChanged(New);
  }
}

TEST_F(ApplyCommandTest, AGltfGivesItsHardpointsAtFullPrecision) {
  const std::string Gltf = Dir.File("model.gltf");
  ASSERT_EQ(Run({"export", File, "-o", Gltf}).Code, 0);
  nlohmann::json G = nlohmann::json::parse(ReadFileBytes(Gltf));
  for (auto& Node : G["nodes"]) {
    if (Node.value("name", "") == "GunLeft") Node["matrix"][12] = -1.2345678;
    if (Node.value("name", "") == "EngineRight") Node["name"] = "Gone";
  }
  const std::string Edited = Put("edited.gltf", G.dump());

  TRun R = Run({"apply", File, "-o", New, "--from-gltf", Edited});
  EXPECT_EQ(R.Code, 0) << R.Err;
  EXPECT_EQ(R.Err, "GunLeft: moved by 0.235\nEngineRight: renamed Gone\n");
  const nlohmann::json Info = nlohmann::json::parse(Run({"info", New, "--json"}).Out);
  EXPECT_EQ(Info["hardpoints"][0]["matrix"][12].get<float>(), -1.2345678f);
  EXPECT_EQ(Info["hardpoints"][3]["name"], "Gone");
  EXPECT_EQ(Info["hardpoints"].size(), 5u);
  ExpectOnlyTheHardFormChanged(New);

  // Without the export's marks the renamed one is new and EngineRight missing.
  for (auto& Node : G["nodes"])
    if (Node.value("name", "") == "Gone") Node.erase("extras");
  const std::string Unmarked = Put("unmarked.gltf", G.dump());
  R = Run({"apply", File, "-o", New, "--from-gltf", Unmarked, "--drop-missing"});
  EXPECT_EQ(R.Code, 0) << R.Err;
  EXPECT_EQ(R.Err, "GunLeft: moved by 0.235\nEngineRight: missing from " + Unmarked + "; left out\nGone: added\n");
  EXPECT_EQ(nlohmann::json::parse(Run({"info", New, "--json"}).Out)["hardpoints"][4]["name"], "Gone");
}

// The sphere comes back with the hardpoints, as `sphere --from-gltf` reads
// it: moved and scaled, missing, or no sphere at all.
TEST_F(ApplyCommandTest, AGltfGivesItsSphereAsSphereFromGltfReadsIt) {
  const std::string Gltf = Dir.File("model.gltf");
  ASSERT_EQ(Run({"export", File, "-o", Gltf}).Code, 0);
  const nlohmann::json Exported = nlohmann::json::parse(ReadFileBytes(Gltf));
  // The document with Change made to its "COLL SPHR" node; a Change that
  // returns false takes the node out of the tree.
  auto Edit = [&](const std::function<bool(nlohmann::json&)>& Change) {
    nlohmann::json G = Exported;
    for (size_t I = 0; I < G["nodes"].size(); ++I)
      if (G["nodes"][I].value("name", "") == "COLL SPHR" && !Change(G["nodes"][I]))
        for (auto& Node : G["nodes"])
          if (Node.contains("children")) {
            auto& Children = Node["children"];
            Children.erase(std::remove(Children.begin(), Children.end(), I), Children.end());
          }
    std::filesystem::remove(New);
    return Put("edited.gltf", G.dump());
  };
  const std::string Before = Run({"sphere", File}).Out;
  struct TCase {
    std::function<bool(nlohmann::json&)> Change;
    std::string Err, Sphere;  // Sphere empty: the model's
    int Code = 0;
  } Cases[] = {
      {[](nlohmann::json&) { return true; }, "", ""},
      {[](nlohmann::json& Node) {
         return Node["translation"] = {1, 2, 3}, Node["scale"] = {3, 3, 3}, true;
       },
       "COLL SPHR: moved by 2.832, \"Diameter:\" 4.900 -> 3.000\n", "1 2 3 3\n"},
      {[](nlohmann::json& Node) {
         return Node["scale"] = {5, 5, 5.5}, true;
       },
       "COLL SPHR: scaled unevenly; the sphere takes the largest of its three scales\n"
       "COLL SPHR: \"Diameter:\" 4.900 -> 5.500\n",
       "0 0.6 0.75 5.5\n"},
      {[](nlohmann::json&) { return false; },
       "COLL SPHR: missing from " + Dir.File("edited.gltf") + "; kept as the model has it\n", ""},
      {[](nlohmann::json& Node) {
         return Node["scale"] = {2, 0, 2}, true;
       },
       "GltfHardpoints: the collision sphere in " + Dir.File("edited.gltf") +
           " is not a sphere: its scale is zero along an axis\n",
       "", 1},
  };
  for (const TCase& Case : Cases) {
    const std::string Edited = Edit(Case.Change);
    SCOPED_TRACE(Case.Err);
    const TRun R = Run({"apply", File, "-o", New, "--from-gltf", Edited});
    EXPECT_EQ(R.Code, Case.Code);
    EXPECT_EQ(R.Err, Case.Err);
    if (Case.Code != 0) {
      EXPECT_FALSE(std::filesystem::exists(New));
      continue;
    }
    EXPECT_EQ(Run({"sphere", New}).Out, Case.Sphere.empty() ? Before : Case.Sphere);
    if (Case.Sphere.empty()) ExpectOnlyTheHardFormChanged(New);
  }
  // A model without a sphere stays without one.
  const std::string Bare = Dir.File("bare.iff");
  WriteLodModel(Bare, {SampleCraftMesh(2)}, SampleCraftHardpoints(), nullptr);
  const TRun R = Run({"apply", Bare, "-o", New, "--from-gltf", Edit([](nlohmann::json&) { return true; })});
  EXPECT_EQ(R.Code, 0);
  EXPECT_EQ(R.Err, "COLL SPHR: left out, as " + Bare +
                       " holds no sphere to take it (TIffReader: Form (COLL) doesn't exist!)\n");
}

TEST_F(ApplyCommandTest, WhatCannotBeAppliedIsRefusedAndNothingIsWritten) {
  const std::string Script = Run({"script", File}).Out;
  const std::string Quote =
      Put("quote.txt", std::string(Script).replace(Script.find("GunLeft"), 7, "X\" float 9 cstring \"Y"));
  const std::string Good = Put("good.txt", Script);
  std::filesystem::create_hard_link(File, Dir.File("hard.iff"));
  const TBytes Before = ReadFileBytes(File);
  struct TCase {
    std::vector<std::string> Args;
    std::string Err;
    int Code;
  } Cases[] = {
      {{"apply", File, "-o", New, "--script", Quote},
       Quote + ", line 17: A hardpoint's name cannot hold a double quotation mark: the hardpoint script writes the "
               "name between two and has no escapes\n",
       1},
      {{"apply", File, "-o", File, "--script", Good}, File + " is the model file itself; choose another name\n", 1},
      {{"apply", File, "-o", Dir.File("hard.iff"), "--script", Good},
       Dir.File("hard.iff") + " is the model file itself; choose another name\n",
       1},
      {{"apply", File, "-o", New}, "", 2},
      {{"apply", File, "-o", New, "--script", Good, "--drop-missing"}, "", 2},
      {{"apply", Good, "-o", New, "--script", Good}, "", 1},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Args.back());
    const TRun R = Run(Case.Args);
    EXPECT_EQ(R.Code, Case.Code);
    if (!Case.Err.empty()) {
      EXPECT_EQ(R.Err, Case.Err);
    }
    EXPECT_FALSE(std::filesystem::exists(New));
    EXPECT_EQ(ReadFileBytes(File), Before);
  }
}
