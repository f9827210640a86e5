// Damaged and forged model files: mesh chunks of odd sizes, faces whose
// indices point outside the arrays or wrap, forged counts, hardpoints cut
// short. Each loads to a sound model or fails with its exact error, within
// the memory bound; drawing and measuring never leave the arrays.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "editor/ScenePicture.h"
#include "model/TZorvObject.h"
#include "tests/robust/Bounded.h"
#include "tests/support/CliRun.h"
#include "tests/support/IffBytes.h"
#include "tests/support/TempDir.h"
#include "tests/support/TriangleMesh.h"

using bounded::TOutcome;

namespace {

constexpr int64_t MemoryBound = 256 << 20;
constexpr int32_t IntMax = std::numeric_limits<int32_t>::max();

TBytes LodFile(const TBytes& Chunks, const TBytes& Hard = {}) {
  return Form("DETA", Form("MESH", Form("0000", Form("MESH", Form("0012", Chunks)))) + Hard);
}

TBytes HardChunk(float X, const TBytes& Name) { return Floats({1, 0, 0, X, 0, 1, 0, 0, 0, 0, 1, 0}) + Name; }

using ::Text;  // the bytes of a string, beside the text of a float below

std::string Text(float V) {
  char Buffer[32];
  std::snprintf(Buffer, sizeof Buffer, "%g", double(V));
  return Buffer;
}

// What a load shows: the four counts, the bounds and the hardpoints.
std::string Summary(const TZorvObject& Model) {
  const TMeshData& Mesh = Model.Mesh();
  TVector Min, Max;
  Model.GetBounds(Min, Max);
  std::string S = std::to_string(Mesh.VertexCount) + " " + std::to_string(Mesh.NormalCount) + " " +
                  std::to_string(Mesh.FaceVertexCount) + " " + std::to_string(Mesh.FaceCount) + " | " + Text(Min.X) +
                  " " + Text(Min.Y) + " " + Text(Min.Z) + " " + Text(Max.X) + " " + Text(Max.Y) + " " + Text(Max.Z) +
                  " |";
  for (int32_t I = 0; I < Model.HardpointCount(); ++I) {
    const THardpoint* H = Model.GetHardpoint(I);
    S += H ? " " + H->Name + "@" + Text(H->Matrix[12]) : std::string(" (none)");
  }
  return S;
}

class HostileModel : public ::testing::Test {
protected:
  // Loads Bytes as a model in a child process; the summary of the loaded
  // model, or "raised: " + the error and the summary of what was left.
  std::string Load(const TBytes& Bytes) {
    WriteFileBytes(File, Bytes);
    return LoadWritten();
  }
  std::string LoadWritten() {
    return bounded::Describe(bounded::RunBounded(MemoryBound, [&] {
      TZorvObject Model(TDisplayListPolicy::None);
      Model.SetKeepData(true);
      try {
        Model.LoadFromFile(File);
      } catch (const Exception& E) {
        throw Exception(E.Message() + " / " + Summary(Model));
      }
      Model.UpdateFitScale(0.4f);
      return Summary(Model);
    }));
  }

  TempDir Dir;
  const std::string File = Dir.File("hostile.iff");
};

TEST_F(HostileModel, RecordCountsRoundDownAndTrailingBytesAreNotRecords) {
  TTriangle Mesh;
  Mesh.Vert = Mesh.Vert + Text("1234");  // 40 bytes: three vertices
  Mesh.Face = Mesh.Face + Text("abc");   // 31 bytes, 32 with the pad: one face
  EXPECT_EQ(Load(LodFile(Mesh.Chunks())), "3 1 3 1 | 0 0 0 1 1 0 |");
  // 35 bytes are 36 with the pad byte: three vertices, the pad the last
  // byte of the third.
  Mesh.Vert.resize(35);
  EXPECT_EQ(Load(LodFile(Mesh.Chunks())), "3 1 3 1 | 0 0 0 1 1 0 |");
  // 34 bytes hold two whole vertices; the face naming the third is left out.
  Mesh.Vert.resize(34);
  EXPECT_EQ(Load(LodFile(Mesh.Chunks())), "2 1 3 1 | 10000 10000 10000 0 0 0 |");
}

TEST_F(HostileModel, FacesOutsideTheArraysAreLeftOutOfMeasuringAndDrawing) {
  TTriangle Mesh;
  Mesh.Vert = Mesh.Vert + Floats({-50, -50, -50});  // reached only by bad faces
  Mesh.Fvrt = Mesh.Fvrt + Corner(3) + Corner(4) + Corner(-1);
  Mesh.Face = Mesh.Face + FaceRecord(1, 0, 3)  // normal equal to the count
              + FaceRecord(-1, 0, 3)           // negative normal
              + FaceRecord(0, 6, 1)            // first equal to the count
              + FaceRecord(0, -1, 2)           // negative first
              + FaceRecord(0, 0, -3)           // negative count
              + FaceRecord(0, 3, 2)            // vertex equal to the count (4)
              + FaceRecord(0, 5, 1)            // negative vertex
              + FaceRecord(0, IntMax, 2)       // first + count wraps past 2^31
              + FaceRecord(0, 2, IntMax)       // the same from the other end
              + FaceRecord(0, 0, IntMax);      // a count of 2^31 - 1
  const TBytes Bytes = LodFile(Mesh.Chunks(), Form("COLL", Chunk("SPHR", Floats({0, 0, 0, 1}))));
  EXPECT_EQ(Load(Bytes), "4 1 6 11 | 0 0 0 1 1 0 |");

  // Drawn as the window draws it: the good triangle only.
  WriteFileBytes(File, Bytes);
  const TOutcome Drawn = bounded::RunBounded(MemoryBound, [&] {
    TPictureRequest Request;
    Request.ModelFile = File;
    Request.Width = 64;
    Request.Height = 64;
    Request.Level = 0;
    const TFramePixels Frame = RenderModelFrame(Request);
    int Lit = 0;
    for (int Y = 0; Y < Frame.Height; ++Y)
      for (int X = 0; X < Frame.Width; ++X) Lit += Frame.At(X, Y) != 0;
    return std::string(Lit > 0 ? "drawn" : "nothing drawn");
  });
  if (Drawn.Kind == TOutcome::Raised && Drawn.Message.rfind("THeadlessGL: ", 0) == 0) GTEST_SKIP() << Drawn.Message;
  EXPECT_EQ(bounded::Describe(Drawn), "drawn");
}

TEST_F(HostileModel, FaceChunksOfNoFacesOrOfAForgedCount) {
  TTriangle Mesh;
  Mesh.Face.clear();
  EXPECT_EQ(Load(LodFile(Mesh.Chunks())), "3 1 3 0 | 10000 10000 10000 0 0 0 |");

  // A FACE chunk claiming (2^31 - 1) / 28 faces in a file a few hundred
  // bytes long is refused before anything is allocated for it.
  const uint32_t Claimed = uint32_t(IntMax / 28 * 28) - 4096;
  const TBytes Bytes = LodFile(Chunk("VERT", TTriangle().Vert) + Chunk("VTNM", TTriangle().Vtnm) +
                               Chunk("FVRT", TTriangle().Fvrt) + Header("FACE", Claimed) + TTriangle().Face);
  const std::string InFile = std::to_string(TTriangle().Face.size());
  EXPECT_EQ(Load(Bytes), "raised: TZorvObject: Chunk (FACE) runs past the end of " + File + " (" +
                             std::to_string(Claimed) + " bytes, " + InFile +
                             " in the file)! / 3 1 3 0 | 10000 "
                             "10000 10000 0 0 0 |");
}

TEST_F(HostileModel, FacesSharingRunsBeyondTheRoomTheirChunksHoldAreRefused) {
  TTriangle Mesh;
  // Two faces on one run: within the room the chunks hold (6 corners of 9).
  Mesh.Face = Mesh.Face + FaceRecord(0, 0, 2);
  EXPECT_EQ(Load(LodFile(Mesh.Chunks())), "3 1 3 2 | 0 0 0 1 1 0 |");
  // Forty faces on the one run of three name 120 corners in 1216 bytes of
  // mesh: refused, and the faces dropped so that nothing walks them.
  Mesh.Face.clear();
  for (int I = 0; I < 40; ++I) Mesh.Face = Mesh.Face + FaceRecord(0, 0, 3);
  EXPECT_EQ(Load(LodFile(Mesh.Chunks())),
            "raised: TZorvObject: The faces of " + File +
                " share corners beyond what its mesh holds (120 corners, room for 76)! / 3 1 3 0 | 10000 10000 "
                "10000 0 0 0 |");
}

// Every command reads its model through the loader, so a model whose faces
// all name one long run costs each of them a refusal, not the work of the
// runs (thousands of times the file); nothing is written.
TEST_F(HostileModel, EveryCommandRefusesFacesSharingOneLongRun) {
  constexpr int32_t Corners = 3000, Faces = 3000;
  TTriangle Mesh;
  auto Repeat = [](const TBytes& Record, int32_t Times) {
    TBytes Bytes;
    for (int32_t I = 0; I < Times; ++I) Bytes.insert(Bytes.end(), Record.begin(), Record.end());
    return Bytes;
  };
  Mesh.Fvrt = Repeat(Corner(0) + Corner(1) + Corner(2), Corners / 3);
  Mesh.Face = Repeat(FaceRecord(0, 0, Corners), Faces);
  WriteFileBytes(File, LodFile(Mesh.Chunks()));
  const std::string Refusal = "TZorvObject: The faces of " + File +
                              " share corners beyond what its mesh holds (9000000 corners, room for 8253)!\n";
  const std::string Out = Dir.File("out.png");
  for (const std::vector<std::string>& Args : {std::vector<std::string>{"info", File},
                                               {"sphere", File, "--fit"},
                                               {"render", File, "-o", Out},
                                               {"thumbnail", File, "-o", Out},
                                               {"export", File, "-o", Dir.File("out.glb")}}) {
    SCOPED_TRACE(Args[0]);
    const TRun Run = Cli(Dir, Args);
    EXPECT_EQ(Run.Code, 1);
    EXPECT_EQ(Run.Err, Refusal);
  }
  EXPECT_FALSE(std::filesystem::exists(Out));
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out.glb")));
}

TEST_F(HostileModel, AChunkBeyondTheMemoryAtHandIsRefusedWithAMessage) {
#ifdef QUELBIR_UNDER_ASAN
  GTEST_SKIP() << "the sanitizer's bound does not see the loader's own mappings";
#endif
  // 300 MB of vertices (a sparse file) where 256 MB may be taken.
  constexpr uint32_t Vert = 300u << 20;
  const TBytes Head = FormHeader("DETA", 4 + 4 * 12 + 8 + Vert) + FormHeader("MESH", 4 + 3 * 12 + 8 + Vert) +
                      FormHeader("0000", 4 + 2 * 12 + 8 + Vert) + FormHeader("MESH", 4 + 12 + 8 + Vert) +
                      FormHeader("0012", 4 + 8 + Vert) + Header("VERT", Vert);
  WriteFileBytes(File, Head);
  std::filesystem::resize_file(File, Head.size() + Vert);
  EXPECT_EQ(LoadWritten(), "raised: TZorvObject: Not enough memory for chunk (VERT) of " + File + " (" +
                               std::to_string(Vert) + " bytes)! / 0 0 0 0 | 10000 10000 10000 0 0 0 |");
}

TEST_F(HostileModel, AMeshChunkRunningPastTheEndOfTheFileIsRefused) {
  const TBytes Bytes = LodFile(Header("VERT", 1200) + Floats({1, 2, 3}));
  EXPECT_EQ(Load(Bytes), "raised: TZorvObject: Chunk (VERT) runs past the end of " + File +
                             " (1200 bytes, 12 in the file)! / 0 0 0 0 | 10000 10000 10000 0 0 0 |");
}

TEST_F(HostileModel, HardpointsCutShortEndTheLoadWithTheReadError) {
  const TBytes Mesh = TTriangle().Chunks();
  // 47 bytes: the pad byte completes the matrix, the name finds no end.
  EXPECT_EQ(Load(LodFile(Mesh, Form("HARD", Chunk("HARD", HardChunk(5, Text("gun") + TBytes{0})) +
                                                Chunk("HARD", TBytes(47, 0x11))))),
            "raised: TIffReader: Read beyond end of chunk! / 3 1 3 1 | 0 0 0 1 1 0 | gun@5 (none)");
  // A name that fills the chunk to its end without a zero byte.
  EXPECT_EQ(Load(LodFile(Mesh, Form("HARD", Chunk("HARD", HardChunk(5, Text("guns")))))),
            "raised: TIffReader: Read beyond end of chunk! / 3 1 3 1 | 0 0 0 1 1 0 | (none)");
  // An odd-length name: the zero pad byte ends it.
  EXPECT_EQ(Load(LodFile(Mesh, Form("HARD", Chunk("HARD", HardChunk(6, Text("gun")))))),
            "3 1 3 1 | 0 0 0 1 1 0 | gun@6");
  // The file itself ends inside the matrix.
  EXPECT_EQ(Load(LodFile(Mesh, Form("HARD", Header("HARD", 52) + Floats({1, 0, 0})))),
            "raised: THardpoint: " + File + " ends inside the matrix of a hardpoint! / 3 1 3 1 | 0 0 0 1 1 0 | (none)");
  // ... of a chunk too short for the matrix anyway, and inside a name.
  EXPECT_EQ(Load(LodFile(Mesh, Form("HARD", Header("HARD", 40) + Floats({1, 0, 0})))),
            "raised: THardpoint: " + File + " ends inside the matrix of a hardpoint! / 3 1 3 1 | 0 0 0 1 1 0 | (none)");
  EXPECT_EQ(Load(LodFile(Mesh, Form("HARD", Chunk("HARD", HardChunk(5, Text("gun") + TBytes{0})) + Header("HARD", 60) +
                                                HardChunk(6, Text("gu"))))),
            "raised: TIffReader: " + File + " ends inside a string! / 3 1 3 1 | 0 0 0 1 1 0 | gun@5 (none)");
}

TEST_F(HostileModel, StructureThatIsNotAModelFailsWithTheReadersErrors) {
  // A hundred thousand nested forms with no mesh container.
  TBytes Deep;
  constexpr int Depth = 100000;
  uint32_t Inside = 0;
  std::vector<TBytes> Headers;
  for (int I = 0; I < Depth; ++I) {
    Headers.push_back(FormHeader("NEST", 4 + Inside));
    Inside += 12;
  }
  for (auto It = Headers.rbegin(); It != Headers.rend(); ++It) Deep.insert(Deep.end(), It->begin(), It->end());
  EXPECT_EQ(Load(Deep), "raised: TIffReader: Form (MESH) doesn't exist! / 0 0 0 0 | 10000 10000 10000 0 0 0 |");
  EXPECT_EQ(Load(Form("DETA", Form("MESH", Form("0001", Form("MESH", Form("0012", TTriangle().Chunks())))))),
            "raised: TIffReader: Form (0000) doesn't exist! / 0 0 0 0 | 10000 10000 10000 0 0 0 |");
  EXPECT_EQ(Load(Form("MESH")),
            "raised: TIffReader: Form (index = 0) doesn't exist! / 0 0 0 0 | 10000 10000 10000 0 0 0 |");
}

}  // namespace
