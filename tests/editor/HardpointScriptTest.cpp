// The hardpoint script, to the byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include <tuple>
#include <vector>

#include "editor/HardpointScript.h"
#include "iff/IffWriter.h"
#include "model/EditorModel.h"
#include "model/SampleModel.h"
#include "model/THardpoint.h"
#include "model/TZorvObject.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

THardpoint Hardpoint(const std::string& Name, std::array<float, 16> Matrix) {
  THardpoint H;
  H.Name = Name;
  H.Matrix = Matrix;
  return H;
}

constexpr std::array<float, 16> Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

const char* const Gun1Chunk =
    "      CHUNK \"HARD\"\r\n"
    "      {\r\n"
    "        float 1.000\r\n"
    "        float 0.000\r\n"
    "        float 0.000\r\n"
    "        float 1.500\r\n"
    "        float 0.000\r\n"
    "        float 1.000\r\n"
    "        float 0.000\r\n"
    "        float -2.000\r\n"
    "        float 0.000\r\n"
    "        float 0.000\r\n"
    "        float 1.000\r\n"
    "        float 0.250\r\n"
    "        cstring \"gun1\"\r\n"
    "      }\r\n";

const char* const Head = "    FORM \"HARD\"\r\n    {\r\n";
const char* const Tail = "    }\r\n  }\r\n";

THardpoint Gun1() {
  std::array<float, 16> M = Identity;
  M[12] = 1.5f;
  M[13] = -2.0f;
  M[14] = 0.25f;
  return Hardpoint("gun1", M);
}

}  // namespace

TEST(HardpointScript, WithoutHardpointsHasTheFramingLinesOnly) {
  EXPECT_EQ(HardpointScriptText(std::vector<const THardpoint*>{}), std::string(Head) + Tail);
}

TEST(HardpointScript, OneChunkPerHardpointInFileOrder) {
  const THardpoint A = Gun1();
  THardpoint B = Gun1();
  B.Name = "gun2";
  const std::string Gun2Chunk = std::string(Gun1Chunk).replace(std::string(Gun1Chunk).find("gun1"), 4, "gun2");
  EXPECT_EQ(HardpointScriptText({&A}), std::string(Head) + Gun1Chunk + Tail);
  EXPECT_EQ(HardpointScriptText({&A, &B}), std::string(Head) + Gun1Chunk + Gun2Chunk + Tail);
}

TEST(HardpointScript, ValuesAreRoundedToThreeDecimalsWithoutANegativeZero) {
  // Rows: the X axis and position x, the Y axis and y, the Z axis and z; the
  // grey column (e3, e7, e11, e15) never appears.
  const THardpoint H = Hardpoint("r", {0.0006f, 0.0004f, -0.0004f, 99, -0.0f, -0.0006f, 2.0005f, 99, -1234.5678f,
                                       0.12345f, 1e6f, 99, 0.0625f, -0.0625f, -0.0005f, 99});
  const std::string Text = HardpointScriptText({&H});
  const std::string Values[12] = {"0.001", "0.000",  "0.000",     "0.063", "0.000",       "-0.001",
                                  "2.000", "-0.063", "-1234.568", "0.123", "1000000.000", "-0.001"};
  std::string Expected = std::string(Head) + "      CHUNK \"HARD\"\r\n      {\r\n";
  for (const std::string& V : Values) Expected += "        float " + V + "\r\n";
  Expected += "        cstring \"r\"\r\n      }\r\n" + std::string(Tail);
  EXPECT_EQ(Text, Expected);
}

// A model file may hold names the script has no way to write: the text is
// refused rather than one that reads back as other hardpoints.
TEST(HardpointScript, ANameTheScriptCannotCarryIsRefusedNamingTheHardpoint) {
  const THardpoint A = Gun1();
  for (const auto& [Name, Shown, Problem] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"Gun\nLeft", "Gun\\x0ALeft", "cannot hold a line break"},
           {"a\tb", "a\\x09b", "cannot hold the control character 0x09"},
           {"a\"b", "a\"b",
            "cannot hold a double quotation mark: the hardpoint script writes the name between two "
            "and has no escapes"},
       }) {
    const THardpoint Bad = Hardpoint(Name, Identity);
    EXPECT_EQ(MessageOf([&] {
                HardpointScriptText({&A, &Bad});
              }),
              "The hardpoint script cannot carry the name of hardpoint \"" + Shown + "\": A hardpoint's name " +
                  Problem + "; rename it first");
  }
}

TEST(HardpointScript, EmptyEntriesAreLeftOut) {
  const THardpoint A = Gun1();
  EXPECT_EQ(HardpointScriptText({nullptr, &A, nullptr}), std::string(Head) + Gun1Chunk + Tail);
}

TEST(HardpointScript, ModelTextComesFromTheStoredMatrices) {
  TempDir Dir;
  const std::string File = Dir.File("craft.iff");
  TSampleHardpoint Gun;
  Gun.Name = "gun1";
  Gun.Matrix = Gun1().Matrix;
  TSampleHardpoint Other;
  Other.Name = "engine";
  Other.Matrix[12] = -3;
  WriteLodModel(File, {SampleCraftMesh(2), SampleCraftMesh(2)}, {Gun, Other}, nullptr);

  TZorvObject Model(TDisplayListPolicy::None);
  SetUpEditorModel(Model, File);
  ASSERT_EQ(Model.HardpointCount(), 2);
  const std::string Loaded = HardpointScriptText(Model);
  EXPECT_EQ(Loaded.substr(0, std::string(Head).size() + std::string(Gun1Chunk).size()), std::string(Head) + Gun1Chunk);

  // An edit held in the model is what goes out.
  Model.GetHardpoint(0)->Matrix[12] = 4.0f;
  Model.GetHardpoint(0)->Matrix[3] = 8.0f;  // grey: never written
  const std::string Edited = HardpointScriptText(Model);
  EXPECT_NE(Edited.find("        float 4.000\r\n"), std::string::npos);
  EXPECT_EQ(Edited.find("8.000"), std::string::npos);
}

TEST(HardpointScript, ALoadThatStoppedPartWayGivesTheHardpointsRead) {
  // The second hardpoint's chunk is too short for its matrix: the load stops
  // there and leaves that entry empty.
  TempDir Dir;
  const std::string File = Dir.File("broken.iff");
  {
    TIffWriter W(File, wmFile);
    W.OpenForm(TIffTag("DETA"));
    for (const char* Type : {"MESH", "0000", "MESH", "0012"}) W.OpenForm(TIffTag::FromBytes(Type));
    WriteMeshChunks(W, SampleCraftMesh(2));
    for (int I = 0; I < 4; ++I) W.CloseForm();
    W.OpenForm(TIffTag("HARD"));
    W.OpenChunk(TIffTag("HARD"));
    const THardpoint Gun = Gun1();
    for (int Element : THardpoint::FileToMatrix) W.WriteSingle(Gun.Matrix[size_t(Element)]);
    W.WriteString("gun1");
    W.CloseChunk();
    W.OpenChunk(TIffTag("HARD"));
    W.WriteSingle(1);
    W.CloseChunk();
    W.CloseForm();
    W.CloseForm();
    W.Destroy();
  }
  TZorvObject Model(TDisplayListPolicy::None);
  EXPECT_THROW(SetUpEditorModel(Model, File), Exception);
  ASSERT_EQ(Model.HardpointCount(), 2);
  EXPECT_EQ(Model.GetHardpoint(1), nullptr);
  EXPECT_EQ(HardpointScriptText(Model), std::string(Head) + Gun1Chunk + Tail);
}

TEST(HardpointScriptReading, GivesBackWhatTheScriptHoldsWithEitherLineEnd) {
  const THardpoint A = Gun1();
  THardpoint B = Hardpoint("Gun \xE9 2", Identity);
  B.Matrix[0] = -0.0625f;
  const std::string Text = HardpointScriptText({&A, &B});
  std::string Lf = Text;
  for (size_t At; (At = Lf.find('\r')) != std::string::npos;) Lf.erase(At, 1);
  for (const std::string& Script : {Text, Lf, std::string("\tFORM \"HARD\"\n{\n}\n}")}) {
    const std::vector<THardpoint> Read = ReadHardpointScript(Script, "s.txt");
    std::vector<const THardpoint*> Back;
    std::vector<THardpoint> Held;
    for (const THardpoint& H : Read) Held.push_back(Hardpoint(H.Name, H.Matrix));
    for (const THardpoint& H : Held) Back.push_back(&H);
    EXPECT_EQ(HardpointScriptText(Back), Script == Text || Script == Lf ? Text : std::string(Head) + Tail);
    if (!Read.empty()) {
      EXPECT_EQ(Read[0].Matrix, Gun1().Matrix);
    }
  }
}

TEST(HardpointScriptReading, RefusesWhatIsNoScriptNamingTheLine) {
  const std::string Good = std::string(Head) + Gun1Chunk + Tail;
  auto Replaced = [&](const std::string& From, const std::string& To) {
    std::string Text = Good;
    return Text.replace(Text.find(From), From.size(), To);
  };
  const std::string Long(1 << 20, '7');
  const std::pair<std::string, std::string> Cases[] = {
      {"", "s.txt, line 1: expected FORM \"HARD\", but the text ends"},
      {Replaced("    {\r\n      CHUNK", "      CHUNK"), "s.txt, line 2: expected \"{\", found \"CHUNK \"HARD\"\""},
      {Replaced("float 0.250", "float 0,25"), "s.txt, line 16: \"0,25\" is not a number"},
      {Replaced("float 0.250", "float 1e39"), "s.txt, line 16: \"1e39\" is beyond the range of a float"},
      {Replaced("float 0.250", "flaot 0.250"),
       "s.txt, line 16: expected \"float\" and a number, found \"flaot 0.250\""},
      {Replaced("float 0.250", "float " + Long),
       "s.txt, line 16: \"" + Long.substr(0, 60) + "...\" is beyond the range of a float"},
      {Replaced("\"gun1\"", "\"gu\"n1\""),
       "s.txt, line 17: A hardpoint's name cannot hold a double quotation mark: the hardpoint script writes the name "
       "between two and has no escapes"},
      {Replaced("\"gun1\"", "\"gun1"),
       "s.txt, line 17: expected \"cstring\" and a name in double quotation marks, found \"cstring \"gun1\""},
      {Good.substr(0, Good.size() - 5), "s.txt, line 20: expected \"}\", but the text ends"},
      {Good + "\r\nFORM", "s.txt, line 22: expected nothing after the last brace, found \"FORM\""},
  };
  for (const auto& Case : Cases) {
    const std::string& Text = Case.first;  // a lambda captures a variable, not a structured binding
    EXPECT_EQ(MessageOf([&] { ReadHardpointScript(Text, "s.txt"); }), Case.second) << Text.substr(0, 200);
  }
}

TEST(HardpointScriptReading, AHundredThousandHardpointsAreRead) {
  std::string Text = Head;
  for (int I = 0; I < 100000; ++I) Text += Gun1Chunk;
  Text += Tail;
  EXPECT_EQ(ReadHardpointScript(Text, "s.txt").size(), 100000u);
}

// A script's input is bounded before it is held: a file by its size, a
// stream by what has come, each refused naming it and the bound.
TEST(HardpointScriptReading, AnInputLongerThanTheBoundIsRefused) {
  TempDir Dir;
  constexpr size_t Limit = 100;
  const std::string Fits(Limit, 'x'), Over(Limit + 1, 'x');
  const std::string Bound =
      " is longer than a hardpoint script may be here: at most 100 bytes, a quarter of the "
      "memory this program may use";
  WriteFileBytes(Dir.File("fits.txt"), std::vector<uint8_t>(Fits.begin(), Fits.end()));
  WriteFileBytes(Dir.File("sparse.txt"), {});
  std::filesystem::resize_file(Dir.File("sparse.txt"), uintmax_t(1) << 40);  // no disk used
  std::istringstream Unused;
  EXPECT_EQ(ReadHardpointScriptInput(Dir.File("fits.txt"), Unused, Limit), Fits);
  EXPECT_EQ(MessageOf([&] { ReadHardpointScriptInput(Dir.File("sparse.txt"), Unused, Limit); }),
            Dir.File("sparse.txt") + Bound);
  std::istringstream FitsStream(Fits), OverStream(Over + std::string(1 << 20, 'y'));
  EXPECT_EQ(ReadHardpointScriptInput("-", FitsStream, Limit), Fits);
  EXPECT_EQ(MessageOf([&] { ReadHardpointScriptInput("-", OverStream, Limit); }), "standard input" + Bound);
  EXPECT_LT(OverStream.tellg(), 1 << 20);  // the rest is never read
  EXPECT_LE(HardpointScriptLimit(), size_t(::sysconf(_SC_PHYS_PAGES)) * size_t(::sysconf(_SC_PAGE_SIZE)) / 4);
}
