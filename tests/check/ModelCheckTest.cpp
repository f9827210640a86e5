// Each code of the check, provoked by a small file built in code: the
// findings are compared line by line as the text report shows them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "check/CheckReport.h"
#include "check/ModelCheck.h"
#include "model/SampleModel.h"
#include "tests/model/ModelFixtures.h"
#include "tests/support/IffBytes.h"
#include "tests/support/TempDir.h"
#include "tests/support/TriangleMesh.h"

namespace {

using TLines = std::vector<std::string>;

TBytes Level(const std::string& Tag, const TBytes& Chunks) { return Form(Tag, Form("MESH", Form("0012", Chunks))); }
TBytes Sphere(float Radius) { return Form("COLL", Chunk("SPHR", Floats({0, 0, 0, Radius}))); }
TBytes Hardpoint(const std::vector<float>& Rows, const std::string& Name) {
  return Chunk("HARD", Floats({Rows[0], Rows[1], Rows[2], Rows[3], Rows[4], Rows[5], Rows[6], Rows[7], Rows[8], Rows[9],
                               Rows[10], Rows[11]}) +
                           Text(Name) + TBytes{0});
}
const std::vector<float> Identity = {1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7};

// A sound level-of-detail file around one level, a hardpoint form and a
// sphere of radius 2 that encloses the triangle.
TBytes LodFile(const TBytes& Chunks, const TBytes& Hard = Form("HARD", Hardpoint(Identity, "gun")),
               const TBytes& Coll = Sphere(2)) {
  return Form("DETA", Form("MESH", Level("0000", Chunks)) + Hard + Coll);
}

class ModelCheck : public ::testing::Test {
protected:
  TLines Check(const TBytes& Bytes, const TCheckOptions& Options = {}) {
    WriteFileBytes(File, Bytes);
    TLines Lines;
    for (const TFinding& F : CheckModelFile(File, Options)) Lines.push_back(FindingLine(F));
    return Lines;
  }
  // The offset of an item of the file last checked, by its path of form
  // types from the top form down and, for a chunk, its tag.
  std::string At(const std::vector<std::string>& Forms, const std::string& ChunkTag = "") {
    TIffReader Reader(File, true);
    for (const std::string& F : Forms) Reader.OpenForm(TIffTag::FromBytes(F.data()));
    if (ChunkTag.empty()) return std::to_string(Reader.CurrentForm()->Offset);
    Reader.OpenChunk(TIffTag::FromBytes(ChunkTag.data()));
    return std::to_string(Reader.OpenChunkItem()->Offset);
  }
  std::string MeshAt(const std::string& ChunkTag) { return At({"MESH", "0000", "MESH", "0012"}, ChunkTag); }

  TempDir Dir;
  const std::string File = Dir.File("model.iff");
};

// The triangle of TTriangle changed by Change, as mesh chunks.
TBytes Changed(const std::function<void(TTriangle&)>& Change) {
  TTriangle M;
  Change(M);
  return M.Chunks();
}

const float NaN = std::numeric_limits<float>::quiet_NaN(), Inf = std::numeric_limits<float>::infinity();
const TBytes Sound = LodFile(TTriangle().Chunks());
const std::string SoundSize = std::to_string(Sound.size());
const TBytes Hard = Form("HARD", Hardpoint(Identity, "gun"));

// A file and the findings the check must give for it, line by line. In the
// lines "{A/B}" stands for the offset of form B inside form A from the top
// form down, "{A:C}" for that of chunk C in form A, and "{mesh:C}" for that
// of chunk C in level 0000's mesh.
struct TCodeCase {
  const char* Name;
  TBytes File;
  TLines Lines;
};

void PrintTo(const TCodeCase& Row, std::ostream* Out) { *Out << Row.Name; }

const TCodeCase CodeCases[] = {
    {"SoundTriangle", Sound, {}},
    {"CutShort", Text("FORM"), {"error IFF_UNREADABLE: EIffReader_ErrorInForm: Error in Form \"\" at offset 0"}},
    {"TrailingBytes",
     Sound + Text("abc"),
     {"warning TRAILING_BYTES offset " + SoundSize + ": 3 bytes after the top form, which ends at offset " + SoundSize +
      "; the reader ignores them"}},
    // The top form claims 10 bytes more than the file holds.
    {"Truncated",
     [] {
       TBytes Cut = Sound;
       Cut[7] += 10;
       return Cut;
     }(),
     {"error FILE_TRUNCATED offset 0: the top form \"DETA\" declares " + std::to_string(Sound.size() + 10) +
      " bytes, the file holds " + SoundSize}},
    {"NoMeshForm", Form("DETA", Sphere(2)), {"error MESH_MISSING offset 0: TIffReader: Form (MESH) doesn't exist!"}},
    {"NothingButAMeshForm",
     Form("MESH"),
     {"warning SPHERE_MISSING: TIffReader: Form (COLL) doesn't exist!",
      "error MESH_MISSING offset 0: TIffReader: Form (index = 0) doesn't exist!"}},
    // Levels are found by name: a lone "0001" is never loaded, and "0000" is missing.
    {"ALoneSecondLevel",
     Form("DETA", Form("MESH", Level("0001", TTriangle().Chunks())) + Sphere(2)),
     {"warning LOD_UNREACHABLE lod 0001 offset 24: level form \"0001\" is never loaded: the loader "
      "finds the levels by the names 0000 to 0000",
      "error MESH_MISSING lod 0000 offset 12: TIffReader: Form (0000) doesn't exist!"}},
    {"MeshChunksMissing",
     LodFile(Chunk("VERT", TTriangle().Vert) + Chunk("FVRT", TTriangle().Fvrt)),
     {"error MESH_CHUNK_MISSING lod 0000 offset 48: TIffReader[Form: 0012]: Chunk (VTNM) doesn't exist!",
      "error MESH_CHUNK_MISSING lod 0000 offset 48: TIffReader[Form: 0012]: Chunk (FACE) doesn't exist!"}},
    {"PartialRecord",
     LodFile(Changed([](TTriangle& M) { M.Vert = M.Vert + Text("1234"); })),
     {"warning PARTIAL_RECORD lod 0000 record 3 offset {mesh:VERT}: chunk \"VERT\" holds 40 bytes: 3 records of 12 "
      "and 4 bytes that are not a whole record"}},
    {"LevelWithoutFaces",
     LodFile(Changed([](TTriangle& M) { M.Face.clear(); })),
     {"warning LOD_EMPTY lod 0000 offset {mesh:FACE}: the level has no faces"}},
    // One finding per face.
    {"IndicesOutsideTheArrays",
     LodFile(Changed([](TTriangle& M) {
       M.Fvrt = M.Fvrt + Corner(3);
       M.Face = M.Face + FaceRecord(1, 0, 3) + FaceRecord(0, 2, 3) + FaceRecord(0, 1, 3) + FaceRecord(-1, -1, -1);
     })),
     {"error INDEX_OUT_OF_RANGE lod 0000 record 1 offset {mesh:FACE}: face 1: normal 1 lies outside the 1 normals",
      "error INDEX_OUT_OF_RANGE lod 0000 record 2 offset {mesh:FACE}: face 2: its 3 corners from face-vertex 2 lie "
      "outside the 4 face-vertices",
      "error INDEX_OUT_OF_RANGE lod 0000 record 3 offset {mesh:FACE}: face 3: face-vertex 3 names vertex 3, outside "
      "the 3 vertices",
      "error INDEX_OUT_OF_RANGE lod 0000 record 4 offset {mesh:FACE}: face 4: normal -1 lies outside the 1 normals"}},
    {"DegenerateFaces",
     LodFile(Changed([](TTriangle& M) {
       M.Vert = M.Vert + Floats({2, 0, 0, 0.5f, 1e-9f, 0});
       M.Fvrt = M.Fvrt + Corner(0) + Corner(1) + Corner(3) + Corner(4) + Corner(0) + Corner(0) + Corner(0);
       M.Face = M.Face + FaceRecord(0, 0, 2)  // two corners
                + FaceRecord(0, 3, 4)         // (0,0,0) (1,0,0) (2,0,0) (0.5,~0,0): one line
                + FaceRecord(0, 7, 3);        // one point three times
     })),
     {"warning DEGENERATE_FACE lod 0000 record 1 offset {mesh:FACE}: face 1 has 2 corners",
      "warning DEGENERATE_FACE lod 0000 record 2 offset {mesh:FACE}: face 2: its 4 corners lie on one line",
      "warning DEGENERATE_FACE lod 0000 record 3 offset {mesh:FACE}: face 3: its 3 corners lie on one line"}},
    {"ValuesThatAreNotFiniteAndNormalsNotOfLengthOne",
     LodFile(
         Changed([](TTriangle& M) {
           M.Vert = M.Vert + Floats({NaN, 0, 0});
           M.Vtnm = M.Vtnm + Floats({0, Inf, 0}) + Floats({0, 0, 2}) + Floats({0, 0, 1.0009f});
         }),
         [] {
           std::vector<float> Broken = Identity;
           Broken[4] = NaN;
           return Form("HARD", Hardpoint(Broken, "gun"));
         }(),
         Form("COLL", Chunk("SPHR", Floats({0, 0, 0, Inf})))),
     {"error NONFINITE_VALUE offset {COLL:SPHR}: the collision sphere holds 0 0 0 inf",
      "error NONFINITE_VALUE record 0 offset {HARD:HARD}: hardpoint \"gun\" has a matrix element that is not a "
      "finite number",
      "error NONFINITE_VALUE lod 0000 record 3 offset {mesh:VERT}: vertex 3 is (nan, 0, 0)",
      "error NONFINITE_VALUE lod 0000 record 1 offset {mesh:VTNM}: normal 1 is (0, inf, 0)",
      "warning UNNORMALISED_NORMAL lod 0000 record 2 offset {mesh:VTNM}: normal 2 has length 2"}},
    // The hardpoint form as the third sub-form, and nested inside the sphere's form: both ignored.
    {"HardFormThird",
     Form("DETA", Form("MESH", Level("0000", TTriangle().Chunks())) + Sphere(2) + Hard),
     {"warning HARD_FORM_IGNORED offset {HARD}: FORM \"HARD\" is not the top form's second sub-form; the loader "
      "ignores its hardpoints"}},
    {"HardFormInsideTheSpheresForm",
     Form("DETA",
          Form("MESH", Level("0000", TTriangle().Chunks())) + Form("COLL", Chunk("SPHR", Floats({0, 0, 0, 2})) + Hard)),
     {"warning HARD_FORM_IGNORED offset {COLL/HARD}: FORM \"HARD\" inside FORM \"COLL\" is not the top form's second "
      "sub-form; the loader ignores its hardpoints"}},
    {"NoSphereForm",
     LodFile(TTriangle().Chunks(), Form("HARD"), {}),
     {"warning SPHERE_MISSING: TIffReader: Form (COLL) doesn't exist!"}},
    {"NoSphereChunk",
     LodFile(TTriangle().Chunks(), Form("HARD"), Form("COLL")),
     {"warning SPHERE_MISSING offset {COLL}: TIffReader[Form: COLL]: Chunk (SPHR) doesn't exist!"}},
    {"SphereCutShort",
     LodFile(TTriangle().Chunks(), Form("HARD"), Form("COLL", Chunk("SPHR", Floats({0, 0, 0})))),
     {"error SPHERE_UNREADABLE offset {COLL:SPHR}: TIffReader: Read beyond end of chunk!"}},
    // Radius 0.5 about the origin: (1,0,0) and (0,1,0) lie 0.5 outside; a
    // vertex no face uses is not counted, and one within 1e-4 of the radius passes.
    {"SphereNotEnclosing",
     LodFile(Changed([](TTriangle& M) {
               M.Vert = M.Vert + Floats({9, 9, 9, 0, 0, 0.50004f});
               M.Fvrt = M.Fvrt + Corner(4) + Corner(0) + Corner(1);
               M.Face = M.Face + FaceRecord(0, 3, 3);
             }),
             Form("HARD"), Sphere(0.5f)),
     {"warning SPHERE_NOT_ENCLOSING lod 0000 record 1 offset {mesh:VERT}: vertex 1 lies 0.5 outside the collision "
      "sphere of radius 0.5 (2 vertices outside)"}},
    // A negative fourth value draws the same sphere.
    {"NegativeSphereValue", LodFile(TTriangle().Chunks(), Form("HARD"), Sphere(-2)), {}},
};

class CheckCode : public ModelCheck, public ::testing::WithParamInterface<TCodeCase> {
protected:
  std::string Expand(std::string Line) {
    for (size_t Open; (Open = Line.find('{')) != std::string::npos;) {
      const size_t Close = Line.find('}', Open);
      const std::string Place = Line.substr(Open + 1, Close - Open - 1);
      const size_t Colon = Place.find(':');
      const std::string Forms = Place.substr(0, Colon);
      const std::string Chunk = Colon == std::string::npos ? "" : Place.substr(Colon + 1);
      std::string Offset;
      if (Forms == "mesh") {
        Offset = MeshAt(Chunk);
      } else {
        std::vector<std::string> Path;
        for (size_t From = 0, Slash;; From = Slash + 1) {
          Slash = Forms.find('/', From);
          Path.push_back(Forms.substr(From, Slash - From));
          if (Slash == std::string::npos) break;
        }
        Offset = At(Path, Chunk);
      }
      Line.replace(Open, Close - Open + 1, Offset);
    }
    return Line;
  }
};

TEST_P(CheckCode, TheFileGivesTheRowsFindings) {
  const TLines Lines = Check(GetParam().File);
  TLines Expected;
  for (const std::string& Line : GetParam().Lines) Expected.push_back(Expand(Line));
  EXPECT_EQ(Lines, Expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, CheckCode, ::testing::ValuesIn(CodeCases),
                         [](const ::testing::TestParamInfo<TCodeCase>& Info) { return std::string(Info.param.Name); });

TEST_F(ModelCheck, TheSampleModelsHaveNoFindings) {
  WriteSampleModel(File);
  EXPECT_EQ(Check(ReadFileBytes(File)), TLines{});
  WriteSampleSingleMeshModel(File);
  EXPECT_EQ(Check(ReadFileBytes(File)), TLines{});
}

// A pipe would block the reader for ever.
TEST_F(ModelCheck, APipeIsNotReadAsAModel) {
  ASSERT_EQ(::mkfifo(Dir.File("pipe.iff").c_str(), 0600), 0);
  EXPECT_EQ(FindingLine(CheckModelFile(Dir.File("pipe.iff"))[0]),
            "error IFF_UNREADABLE: " + Dir.File("pipe.iff") + " is not a regular file");
}

// A FACE chunk whose records run past the end of the file.
TEST_F(ModelCheck, AFaceChunkRunningPastTheEndOfTheFile) {
  const TTriangle M;
  const TBytes Bytes =
      Form("DETA", Form("MESH", Level("0000", Chunk("VERT", M.Vert) + Chunk("VTNM", M.Vtnm) + Chunk("FVRT", M.Fvrt) +
                                                  Header("FACE", 280) + M.Face)));
  EXPECT_EQ(Check(Bytes).back(),
            "error MESH_UNREADABLE lod 0000 offset 180: TZorvObject: Chunk (FACE) runs past the end "
            "of " +
                File + " (280 bytes, 28 in the file)!");
}

// Twenty faces with indices outside their arrays in full, then the count of the rest.
TEST_F(ModelCheck, IndicesOutsideTheArraysBeyondTwentyAreCounted) {
  TTriangle M;
  for (int I = 0; I < 25; ++I) M.Face = M.Face + FaceRecord(5, 0, 3);
  const TLines Many = Check(LodFile(M.Chunks()));
  ASSERT_EQ(Many.size(), 21u);
  EXPECT_EQ(Many[20], "error INDEX_OUT_OF_RANGE lod 0000 offset " + MeshAt("FACE") +
                          ": 5 more faces with indices outside their arrays");
}

TEST_F(ModelCheck, HardpointsUnreadableNotRigidOrNamedTwice) {
  std::vector<float> Stretched = Identity, Skewed = Identity;
  Stretched[5] = 1.01f;                  // the Y axis 1.01 long
  Skewed[4] = 0.1f, Skewed[5] = 0.995f;  // Y leans towards X, still about unit length
  const TBytes Hard = Form("HARD", Hardpoint(Identity, "gun") + Hardpoint(Stretched, "gun") +
                                       Hardpoint(Skewed, "engine") + Chunk("HARD", TBytes(47, 0x11)));
  TTriangle M;
  M.Vert = M.Vert + Text("12");
  const TLines Lines = Check(LodFile(M.Chunks(), Hard));
  WriteFileBytes(File, LodFile(M.Chunks(), Hard));
  const std::string Offsets[4] = {"", std::to_string(std::stoi(At({"HARD"}, "HARD")) + 8 + 52),
                                  std::to_string(std::stoi(At({"HARD"}, "HARD")) + 2 * (8 + 52)),
                                  std::to_string(std::stoi(At({"HARD"}, "HARD")) + 2 * (8 + 52) + 8 + 56)};
  EXPECT_EQ(Lines, (TLines{"warning HARDPOINT_DUPLICATE_NAME record 1 offset " + Offsets[1] +
                               ": hardpoint \"gun\" has the name of hardpoint 0",
                           "warning HARDPOINT_NOT_RIGID record 1 offset " + Offsets[1] +
                               ": hardpoint \"gun\" is not rigid: its Y axis has length 1.01",
                           "warning HARDPOINT_NOT_RIGID record 2 offset " + Offsets[2] +
                               ": hardpoint \"engine\" is not rigid: its X and Y axes are not perpendicular (dot "
                               "product 0.1)",
                           "error HARDPOINT_UNREADABLE record 3 offset " + Offsets[3] +
                               ": TIffReader: Read beyond end of chunk!",
                           // The load failed in the hardpoints: the mesh is examined all the same.
                           "warning PARTIAL_RECORD lod 0000 record 3 offset " + MeshAt("VERT") +
                               ": chunk \"VERT\" holds 38 bytes: 3 records of 12 and 2 bytes that are not a whole "
                               "record"}));
}

TEST_F(ModelCheck, EveryLevelOrTheOneAsked) {
  TTriangle Bad;
  Bad.Vtnm = Floats({0, 0, 3});
  const TBytes Bytes = Form("DETA", Form("MESH", Level("0000", TTriangle().Chunks()) + Level("0001", Bad.Chunks()) +
                                                     Level("0002", Bad.Chunks())) +
                                        Sphere(2));
  WriteFileBytes(File, Bytes);
  auto Line = [&](const std::string& Lod) {
    return "warning UNNORMALISED_NORMAL lod " + Lod + " record 0 offset " + At({"MESH", Lod, "MESH", "0012"}, "VTNM") +
           ": normal 0 has length 3";
  };
  EXPECT_EQ(Check(Bytes), (TLines{Line("0001"), Line("0002")}));
  EXPECT_EQ(Check(Bytes, {0}), TLines{});
  // Clamped as the loader clamps.
  EXPECT_EQ(Check(Bytes, {7}), TLines{Line("0002")});
}

TEST_F(ModelCheck, EachLevelIsExaminedOnceHoweverManyFormsTheContainerHolds) {
  // 10001 forms that no level name reaches. Past 9999 the loader's level
  // name is the first four digits of the number: level 10000 is "1000".
  TBytes Forms;
  for (int I = 0; I < 10001; ++I) {
    const TBytes One = Form("XXXX");
    Forms.insert(Forms.end(), One.begin(), One.end());
  }
  const TLines Lines = Check(Form("DETA", Form("MESH", Forms) + Sphere(2)));
  auto Count = [&](const std::string& Start) {
    return std::count_if(Lines.begin(), Lines.end(), [&](const std::string& L) { return L.rfind(Start, 0) == 0; });
  };
  EXPECT_EQ(Count("warning LOD_UNREACHABLE"), 10001);
  EXPECT_EQ(Count("error MESH_MISSING"), 10000);
  EXPECT_EQ(Count("error MESH_MISSING lod 1000 "), 1);
}

TEST_F(ModelCheck, DegeneracyWorkIsBoundedForOverlappingRuns) {
  TTriangle M;
  M.Face.clear();
  for (int I = 0; I < 1500; ++I) M.Face = M.Face + FaceRecord(0, 0, 3);
  TLines Lines = Check(LodFile(M.Chunks()));
  EXPECT_EQ(Lines, TLines{"error MESH_UNREADABLE lod 0000 offset " + MeshAt("FACE") + ": TZorvObject: The faces of " +
                          File + " share corners beyond what its mesh holds (4500 corners, room for 2631)!"});
  // Vertices no face uses give the mesh room for the 4500 corners the
  // loader walks (one per 16 bytes of its chunks).
  M.Vert = M.Vert + TBytes(2500 * 12, 0);
  // 16 corners per face-vertex and 4096 more: 1381 faces of three corners.
  Lines = Check(LodFile(M.Chunks()));
  EXPECT_EQ(Lines,
            TLines{"info CHECK_LIMITED lod 0000 offset " + MeshAt("FACE") +
                   ": 119 faces were not tested for degeneracy: their corner runs overlap beyond the work bound"});
}

}  // namespace

namespace {

TEST(CheckCodes, EveryCodeHasItsLineInTheReadmeTable) {
  std::ifstream In(std::string(QUELBIR_SOURCE_DIR) + "/README.md");
  std::stringstream Readme;
  Readme << In.rdbuf();
  for (const TCheckCode& Code : CheckCodes()) {
    const std::string Row =
        "\n| `" + std::string(Code.Code) + "` | " + SeverityName(Code.Severity) + " | " + Code.Meaning + " |\n";
    EXPECT_NE(Readme.str().find(Row), std::string::npos) << Row;
  }
}

}  // namespace
