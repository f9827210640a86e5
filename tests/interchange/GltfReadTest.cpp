// What reading a glTF costs and refuses: the files its URIs name are never
// opened, and depth, size, counts and names are checked before they cost
// anything.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "interchange/GltfHardpoints.h"
#include "tests/model/ModelFixtures.h"
#include "tests/support/ErrorMessage.h"

using namespace ModelFixtures;

namespace {

class GltfReadTest : public ::testing::Test {
protected:
  std::string Put(const std::string& Name, const std::string& Text) {
    WriteFileBytes(Dir.File(Name), std::vector<uint8_t>(Text.begin(), Text.end()));
    return Dir.File(Name);
  }
  std::vector<THardpoint> Read(const std::string& File) {
    std::ostringstream Warnings;
    return ReadGltfHardpoints(File, Warnings);
  }
  TempDir Dir;
};

const std::string Asset = R"("asset":{"version":"2.0"})";

TEST_F(GltfReadTest, NoFileTheDocumentNamesIsEverOpened) {
  ASSERT_EQ(::mkfifo(Dir.File("fifo").c_str(), 0600), 0);
  // A missing file, a FIFO (which would block), a folder, a file outside the folder.
  for (const std::string Uri : {"missing.bin", "fifo", ".", "/etc/passwd", "../../../../etc/passwd"}) {
    SCOPED_TRACE(Uri);
    const std::string File = Put("uri.gltf", "{" + Asset + R"(,"buffers":[{"uri":")" + Uri +
                                                 R"(","byteLength":1000000000}],)" + R"("images":[{"uri":")" + Uri +
                                                 R"("}],"nodes":[{"name":"m","children":[1]},{"name":"gun"}]})");
    const std::vector<THardpoint> Back = Read(File);
    ASSERT_EQ(Back.size(), 1u);
    EXPECT_EQ(Back[0].Name, "gun");
  }
}

TEST_F(GltfReadTest, HostileDocumentsAreRefusedWithAMessage) {
  std::string Deep = "{" + Asset + R"(,"nodes":[{"name":"m","children":[1]},{"name":"g","extras":)";
  Deep += std::string(20000, '[') + std::string(20000, ']') + "}]}";
  std::string Many = "{" + Asset + R"(,"nodes":[{"children":[1]})";
  for (int I = 0; I < 70000; ++I) Many += ",{}";
  Many += "]}";
  std::string Wide = "{" + Asset + R"(,"nodes":[{"children":[1]},{"extras":[[])";
  for (int I = 0; I < 600000; ++I) Wide += ",[]";
  Wide += "]}]}";
  struct TCase {
    const char* What;
    std::string Text, Message;
  } Cases[] = {
      {"nested 20000 deep", Deep, "FILE nests its JSON deeper than 64 levels"},
      {"too many nodes", Many, "FILE holds more than 65536 nodes"},
      {"too many arrays", Wide, "FILE holds more than 524288 JSON arrays and objects"},
      {"a NUL in a name", "{" + Asset + R"(,"nodes":[{"children":[1]},{"name":"a\u0000b"}]})",
       "hardpoint \"a\\x00b\" in FILE: A hardpoint's name cannot hold a zero byte: the model file ends the name there"},
      {"CR LF in a name", "{" + Asset + R"(,"nodes":[{"children":[1]},{"name":"a\r\nb"}]})",
       "hardpoint \"a\\x0D\\x0Ab\" in FILE: A hardpoint's name cannot hold a line break"},
      {"a name that would end the script's string",
       "{" + Asset + R"(,"nodes":[{"children":[1]},{"name":"X\" float 9 cstring \"Y"}]})",
       "hardpoint \"X\" float 9 cstring \"Y\" in FILE: A hardpoint's name cannot hold a double quotation mark: the "
       "hardpoint script writes the name between two and has no escapes"},
      {"a short binary container", std::string("glTF\2\0\0\0\x40\0\0\0\xff\xff\0\0JSON{}", 22),
       "FILE is not a glTF file I can read: its JSON chunk runs past the end of the file"},
      {"a node that is no object", "{" + Asset + R"(,"nodes":[{"children":[1]},7]})", "FILE: a node is not an object"},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    const std::string File = Put("hostile.gltf", Case.Text);
    std::string Expected = "GltfHardpoints: " + Case.Message;
    Expected.replace(Expected.find("FILE"), 4, File);
    EXPECT_EQ(MessageOf([&] { Read(File); }), Expected);
  }
  EXPECT_EQ(MessageOf([&] { Read(Put("model.obj", "v 0 0 0\n")); }),
            "GltfHardpoints: " + Dir.File("model.obj") +
                " is an OBJ file: OBJ carries no hardpoints; read them from the .glb or .gltf the export wrote");
}

TEST_F(GltfReadTest, AChainOfSixtyThousandNodesIsWalkedWithoutRecursion) {
  std::string Text = "{" + Asset + R"(,"nodes":[)";
  const int Count = 60000;
  for (int I = 0; I < Count; ++I)
    Text += (I ? "," : "") + std::string(R"({"translation":[0,0,1])") +
            (I + 1 < Count ? ",\"children\":[" + std::to_string(I + 1) + "]}" : "}");
  Text += "]}";
  const std::vector<THardpoint> Back = Read(Put("chain.gltf", Text));
  ASSERT_EQ(Back.size(), size_t(Count - 1));  // the first is the root
  EXPECT_EQ(Back.back().Matrix[14], float(Count - 1));
  EXPECT_EQ(Back.back().Name, "Hardpoint" + std::to_string(Count - 1));  // unnamed: named afresh
}

}  // namespace
