// Every hostile file of the robustness tests, examined as quelbir-cli check
// examines it: the check ends within the memory bound and names at least one
// problem, never crashing and never raising.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "check/ModelCheck.h"
#include "tests/robust/Bounded.h"
#include "tests/support/IffBytes.h"
#include "tests/support/TempDir.h"
#include "tests/support/TriangleMesh.h"

namespace {

constexpr int64_t MemoryBound = 256 << 20;
constexpr int32_t IntMax = std::numeric_limits<int32_t>::max();

const TTriangle Triangle;
const TBytes &Vert = Triangle.Vert, &Vtnm = Triangle.Vtnm, &Fvrt = Triangle.Fvrt, &Face = Triangle.Face;
TBytes Mesh(const TBytes& V, const TBytes& N, const TBytes& FV, const TBytes& F) {
  return Chunk("VERT", V) + Chunk("VTNM", N) + Chunk("FVRT", FV) + Chunk("FACE", F);
}
TBytes LodFile(const TBytes& Chunks, const TBytes& Hard = {}) {
  return Form("DETA", Form("MESH", Form("0000", Form("MESH", Form("0012", Chunks)))) + Hard);
}
TBytes HardChunk(const TBytes& Name) { return Floats({1, 0, 0, 5, 0, 1, 0, 0, 0, 0, 1, 0}) + Name; }

TBytes Nested(int Depth, const TBytes& Inside) {
  TBytes Headers;
  uint32_t Size = uint32_t(Inside.size());
  std::vector<TBytes> Parts;
  for (int I = 0; I < Depth; ++I) {
    Parts.push_back(FormHeader("NEST", 4 + Size));
    Size += 12;
  }
  for (auto It = Parts.rbegin(); It != Parts.rend(); ++It) Headers.insert(Headers.end(), It->begin(), It->end());
  return Headers + Inside;
}

TBytes ManyEmptyChunks(int32_t Count) {
  TBytes Children;
  const TBytes Empty = Header("NONE", 0);
  for (int32_t I = 0; I < Count; ++I) Children.insert(Children.end(), Empty.begin(), Empty.end());
  return Form("ROOT", Children);
}

struct THostileFile {
  const char* Name;
  TBytes Bytes;
};
void PrintTo(const THostileFile& File, std::ostream* Out) { *Out << File.Name; }

std::vector<THostileFile> HostileFiles() {
  const TBytes Model = Form("DETA", Form("MESH"));
  std::vector<THostileFile> Files = {
      {"empty", {}},
      {"cut inside the first FORM header", TBytes(Model.begin(), Model.begin() + 7)},
      {"a chunk as the root", Chunk("VERT", TBytes(4, 1))},
      {"eleven zero bytes", TBytes(11, 0)},
      {"a chunk size beyond the format", FormHeader("ROOT", 12) + Header("DATA", 0xFFFFFFFFu)},
      {"a root claiming far more than the file", FormHeader("ROOT", 0x7FFFFFF0u) + Chunk("DATA", TBytes(4, 0))},
      {"a form too small for its type", FormHeader("ROOT", 12) + FormHeader("SUBF", 2)},
      {"a child running past its parent", FormHeader("ROOT", 4 + 12 + 16 + 8) + FormHeader("INNR", 12) +
                                              Chunk("LONG", Text("12345678")) + Chunk("NEXT", {})},
      {"a chunk running past the end of the file",
       FormHeader("ROOT", 4 + 8 + 100) + Header("DATA", 100) + Text("0123456789")},
      {"a million empty chunks", ManyEmptyChunks(1000000)},
      {"a hundred thousand nested forms", Nested(100000, Chunk("LEAF", Text("leaf")))},
      {"record counts that round down", LodFile(Mesh(Vert + Text("1234"), Vtnm, Fvrt, Face + Text("abc")))},
      {"faces outside the arrays",
       LodFile(Mesh(Vert, Vtnm, Fvrt + Corner(3) + Corner(-1),
                    FaceRecord(1, 0, 3) + FaceRecord(-1, 0, 3) + FaceRecord(0, -1, 2) + FaceRecord(0, 0, -3) +
                        FaceRecord(0, 3, 2) + FaceRecord(0, IntMax, 2) + FaceRecord(0, 2, IntMax) +
                        FaceRecord(0, 0, IntMax)))},
      {"no faces", LodFile(Mesh(Vert, Vtnm, Fvrt, {}))},
      {"a forged face count", LodFile(Chunk("VERT", Vert) + Chunk("VTNM", Vtnm) + Chunk("FVRT", Fvrt) +
                                      Header("FACE", uint32_t(IntMax / 28 * 28) - 4096) + Face)},
      {"a mesh chunk running past the end of the file", LodFile(Header("VERT", 1200) + Floats({1, 2, 3}))},
      {"a hardpoint whose name finds no end",
       LodFile(Mesh(Vert, Vtnm, Fvrt, Face), Form("HARD", Chunk("HARD", HardChunk(Text("guns")))))},
      {"a hardpoint too short for its matrix",
       LodFile(Mesh(Vert, Vtnm, Fvrt, Face), Form("HARD", Chunk("HARD", TBytes(47, 0x11))))},
      {"a hardpoint the file ends inside",
       LodFile(Mesh(Vert, Vtnm, Fvrt, Face), Form("HARD", Header("HARD", 52) + Floats({1, 0, 0})))},
      {"nested forms without a mesh", Nested(100000, {})},
      {"no level 0000",
       Form("DETA", Form("MESH", Form("0001", Form("MESH", Form("0012", Mesh(Vert, Vtnm, Fvrt, Face))))))},
      {"a mesh form with no sub-form", Form("MESH")},
      {"a texture with forged sizes",
       Form("MATR", Form("FRAM", Chunk("INFO", Ints({IntMax, IntMax})) + Form("PAL ", Chunk("CMAP", TBytes(10, 1))) +
                                     Chunk("PXLS", TBytes(3, 0))))},
  };
  return Files;
}

class HostileCheck : public ::testing::TestWithParam<THostileFile> {};

TEST_P(HostileCheck, EndsWithFindingsWithinTheBounds) {
  TempDir Dir;
  const std::string File = Dir.File("hostile.iff");
  WriteFileBytes(File, GetParam().Bytes);
  const bounded::TOutcome Outcome = bounded::RunBounded(MemoryBound, [&] {
    const std::vector<TFinding> Findings = CheckModelFile(File);
    return std::string(Findings.empty() ? "no findings" : "findings");
  });
  EXPECT_EQ(bounded::Describe(Outcome), "findings");
}

INSTANTIATE_TEST_SUITE_P(EveryHostileFile, HostileCheck, ::testing::ValuesIn(HostileFiles()),
                         [](const ::testing::TestParamInfo<THostileFile>& Info) {
                           std::string Name;
                           for (const char* C = Info.param.Name; *C; ++C)
                             Name += std::isalnum(static_cast<unsigned char>(*C)) ? *C : '_';
                           return Name;
                         });

}  // namespace
