// Loading a model file of either shape: the level chosen, the loader's
// messages, record counts, saving, bounds, setters and refused files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "iff/IffReader.h"
#include "model/TZorvObject.h"
#include "runtime/FileLayer.h"
#include "tests/model/ModelFixtures.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/FileCallsGuard.h"

using namespace ModelFixtures;

namespace {

using TMessages = std::vector<std::string>;

// A model that needs no OpenGL, with its messages recorded.
struct TLoaded {
  TZorvObject Model{TDisplayListPolicy::None};
  TLogRecorder Log;
  TLoaded() {
    Log.Attach(Model);
    Model.SetKeepData(true);
  }
};

// A file name in a folder of its own, and a model to load it into.
class ModelFile : public testing::Test {
protected:
  // Loads Mesh from a single-mesh file and measures its bounds.
  void LoadBounds(const TSampleMesh& Mesh, TVector& Min, TVector& Max) {
    WriteSingleMeshModel(File, Mesh, {}, nullptr);
    L.Model.LoadFromFile(File);
    L.Model.GetBounds(Min, Max);
  }
  TempDir Dir;
  const std::string File = Dir.File("model.iff");
  TLoaded L;
};
using ModelLoading = ModelFile;
using ModelBounds = ModelFile;
using ModelRefusal = ModelFile;
using ModelSetters = ModelFile;
using ModelReload = ModelFile;

TEST_F(ModelLoading, LevelOfDetailFileLoadsTheChosenLevelWithItsMessagesInOrder) {
  WriteLevels(File, {MeshWithFaces(3), MeshWithFaces(2), MeshWithFaces(1)});
  L.Model.SetLOD(1);
  L.Model.LoadFromFile(File);
  EXPECT_EQ(L.Log.Messages, (TMessages{"", "LOD: 0000", "LOD: 0001", "LOD: 0002", "load LOD: 0001", "verts: 2",
                                       "norms: 2", "fvrts: 2", "faces: 2"}));
  EXPECT_EQ(L.Model.Levels().Tags, (std::vector<std::string>{"0000", "0001", "0002"}));
  EXPECT_EQ(L.Model.Levels().Loaded, "0001");
  EXPECT_TRUE(L.Model.Mesh().Loaded);
  EXPECT_EQ(L.Model.Mesh().Vertices[1].X, 1.0f);
  EXPECT_EQ(L.Model.FileName(), File);
}

TEST_F(ModelLoading, LoadLevelReadsOneMeshThroughAnOpenReaderAndLeavesItAtTheTop) {
  WriteFile(File, "DETA", [](TIffWriter& W) {
    Form(W, "MESH", [](TIffWriter& Levels) {
      Level(Levels, "0000", MeshWithFaces(3));
      Form(Levels, "0001", [](TIffWriter& L) {
        Form(L, "MESH", [](TIffWriter& M) {
          Form(M, "0012", [](TIffWriter& C) { RawChunk(C, "VERT", FloatBytes({1, 2, 3})); });
        });
      });
      Level(Levels, "0002", MeshWithFaces(1));
    });
  });
  TIffReader Reader(File, true);
  L.Model.SetLOD(2);
  L.Model.LoadLevel(Reader);
  EXPECT_EQ(L.Log.Messages, (TMessages{"", "load LOD: 0002", "verts: 1", "norms: 1", "fvrts: 1", "faces: 1"}));
  EXPECT_TRUE(L.Model.Levels().Tags.empty());
  EXPECT_EQ(L.Model.Levels().Loaded, "0002");
  EXPECT_EQ(L.Model.FileName(), File);
  // A level that fails leaves the reader at the top for the next one.
  TLoaded Failing;
  Failing.Model.SetLOD(1);
  EXPECT_EQ(MessageOf([&] { Failing.Model.LoadLevel(Reader); }), "TIffReader[Form: 0012]: Chunk (VTNM) doesn't exist!");
  EXPECT_EQ(Reader.CurrentForm(), Reader.Root());
  L.Model.SetLOD(0);  // reads the file again, as LoadFromFile
  L.Model.LoadLevel(Reader);
  EXPECT_EQ(L.Model.Mesh().FaceCount, 3);
}

TEST_F(ModelLoading, SingleMeshFileLoadsItsOnlyMeshWithoutLevelMessages) {
  WriteSingleMeshModel(File, MeshWithFaces(4), {}, nullptr);
  L.Model.SetLOD(1);
  L.Model.LoadFromFile(File);
  EXPECT_EQ(L.Log.Messages, (TMessages{"", "verts: 4", "norms: 4", "fvrts: 4", "faces: 4"}));
  EXPECT_EQ(L.Model.Mesh().FaceCount, 4);
}

TEST_F(ModelLoading, ChunksOfMegabytesArriveWholeAndLoadAgainAfterRelease) {
  // 600,000 vertices (7.2 MB) and a partial record: blocks this large are
  // held apart from the heap.
  std::vector<float> Floats(600000 * 3 + 1);
  for (size_t I = 0; I < Floats.size(); ++I) Floats[I] = float(I);
  WriteRawMesh(File, {{"VERT", FloatBytes(Floats)},
                      {"VTNM", FloatBytes({0, 0, 1})},
                      {"FVRT", std::vector<uint8_t>(16, 0)},
                      {"FACE", RecordBytes(MeshWithFaces(1).Faces)}});
  for (int Load = 0; Load < 2; ++Load) {
    L.Model.LoadFromFile(File);
    const TMeshData& Mesh = L.Model.Mesh();
    ASSERT_EQ(Mesh.VertexCount, 600000);
    EXPECT_EQ(Mesh.Vertices[599999].Z, float(600000 * 3 - 1));
    EXPECT_EQ(Mesh.Vertices[600000].X, float(600000 * 3));  // the partial record, its tail zero
    EXPECT_EQ(Mesh.Vertices[600000].Y, 0.0f);
  }
  L.Model.FreeData();
  EXPECT_FALSE(L.Model.Mesh().Vertices.Allocated());
}

TEST_F(ModelLoading, ChunksAreFoundByTagWhateverTheirOrderAndTheMeshFormsType) {
  TStoredMesh Mesh = Square(1);
  WriteRawMesh(File,
               {{"FACE", RecordBytes(Mesh.Faces)},
                {"VTNM", FloatBytes({0, 0, 1})},
                {"FVRT", RecordBytes(Mesh.FaceVertices)},
                {"VERT", FloatBytes({-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0})}},
               "ABCD");
  L.Model.LoadFromFile(File);
  TVector Min, Max;
  L.Model.GetBounds(Min, Max);
  EXPECT_EQ(Min.X, -1.0f);
  EXPECT_EQ(Max.Y, 1.0f);
}

struct TClampCase {
  int32_t LOD;
  int Levels;
  const char* Loaded;
};

class ModelLevelClamp : public testing::TestWithParam<TClampCase> {};

TEST_P(ModelLevelClamp, LoadsTheNearestLevelPresent) {
  TempDir Dir;
  const std::string File = Dir.File("lod.iff");
  std::vector<TSampleMesh> Levels;
  for (int I = 0; I < GetParam().Levels; ++I) Levels.push_back(MeshWithFaces(I + 1));
  WriteLevels(File, Levels);
  TLoaded L;
  L.Model.SetLOD(GetParam().LOD);
  L.Model.LoadFromFile(File);
  EXPECT_EQ(L.Log.Messages.at(size_t(GetParam().Levels) + 1), std::string("load LOD: ") + GetParam().Loaded);
  EXPECT_EQ(L.Model.Mesh().FaceCount, std::stoi(GetParam().Loaded) + 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ModelLevelClamp,
                         testing::Values(TClampCase{1, 1, "0000"}, TClampCase{-3, 3, "0000"}, TClampCase{5, 3, "0002"},
                                         TClampCase{2, 3, "0002"}));

TEST_F(ModelLoading, TheLevelTagIsTheClampedNumberCutToFourCharacters) {
  const TClampCase Cases[] = {{0, 0, "-000"}, {7, 0, "-000"}, {12345, 20000, "1234"}, {-3, 3, "0000"}, {5, 3, "0002"}};
  for (const TClampCase& Case : Cases) EXPECT_EQ(LevelTag(Case.LOD, Case.Levels), Case.Loaded) << Case.LOD;
}

TEST_F(ModelLoading, LevelsAreFoundByNameWhileTheClampCountsSubForms) {
  // Levels "0000" and "0002": LOD 1 asks for "0001", which does not exist.
  WriteFile(File, "DETA", [&](TIffWriter& W) {
    Form(W, "MESH", [&](TIffWriter& C) {
      Level(C, "0000", MeshWithFaces(1));
      Level(C, "0002", MeshWithFaces(2));
    });
  });
  L.Model.SetLOD(1);
  EXPECT_EQ(MessageOf([&] { L.Model.LoadFromFile(File); }), "TIffReader: Form (0001) doesn't exist!");
}

TEST_F(ModelLoading, MissingStructureRaisesTheReadersErrors) {
  const std::string NoLevels = Dir.File("nolevels.iff");
  WriteFile(NoLevels, "DETA", [](TIffWriter& W) { Form(W, "MESH", [](TIffWriter&) {}); });
  const std::string NoContainer = Dir.File("nocontainer.iff");
  WriteFile(NoContainer, "DETA", [](TIffWriter& W) { Form(W, "COLL", [](TIffWriter&) {}); });
  const std::string NoNormals = Dir.File("nonormals.iff");
  WriteFile(NoNormals, "MESH", [](TIffWriter& W) {
    Form(W, "0012", [](TIffWriter& M) { RawChunk(M, "VERT", FloatBytes({1, 2, 3})); });
  });
  // With no level at all the clamp gives index -1.
  EXPECT_EQ(MessageOf([&] { L.Model.LoadFromFile(NoLevels); }), "TIffReader: Form (-000) doesn't exist!");
  EXPECT_EQ(MessageOf([&] { L.Model.LoadFromFile(NoContainer); }), "TIffReader: Form (MESH) doesn't exist!");
  EXPECT_EQ(MessageOf([&] { L.Model.LoadFromFile(NoNormals); }), "TIffReader[Form: 0012]: Chunk (VTNM) doesn't exist!");
  // A failed load keeps what it read, marked as loaded.
  EXPECT_TRUE(L.Model.Mesh().Loaded);
  EXPECT_EQ(L.Model.Mesh().VertexCount, 1);
  EXPECT_EQ(L.Model.Mesh().Vertices[0].Z, 3.0f);
}

TEST_F(ModelLoading, TrailingPartialRecordsAreReadButNotCountedNorSaved) {
  std::vector<uint8_t> Vert40 = FloatBytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  std::vector<uint8_t> Vert35(Vert40.begin(), Vert40.begin() + 35);
  auto WriteWith = [&](const std::vector<uint8_t>& Vert) {
    WriteRawMesh(File, {{"VERT", Vert}, {"VTNM", {}}, {"FVRT", {}}, {"FACE", {}}});
  };
  WriteWith(Vert40);
  L.Model.LoadFromFile(File);
  EXPECT_EQ(L.Model.Mesh().VertexCount, 3);
  EXPECT_EQ(L.Model.Mesh().Vertices.Bytes(), 40u);
  EXPECT_EQ(L.Model.Mesh().Vertices[3].X, 10.0f);  // the partial record's bytes are there

  const std::string Saved = Dir.File("saved.iff");
  L.Model.SaveToFile(Saved);
  TIffReader Reader(Saved, true);
  for (const char* F : {"MESH", "0000", "MESH", "0012"}) Reader.OpenForm(TIffTag::FromBytes(F));
  Reader.OpenChunk(TIffTag("VERT"));
  EXPECT_EQ(Reader.CurrentSize(), 36);

  // 35 bytes are reported as 36 with the pad byte: still 3 records.
  WriteWith(Vert35);
  L.Model.LoadFromFile(File);
  EXPECT_EQ(L.Model.Mesh().VertexCount, 3);
  EXPECT_EQ(L.Model.Mesh().Vertices.Bytes(), 36u);
}

TEST_F(ModelLoading, SaveWritesTheLoadedLevelAloneAsLevelZeroWithoutHardpoints) {
  L.Model.SetLOD(2);
  L.Model.LoadFromFile(SampleFile(Dir));
  const std::string Saved = Dir.File("saved.iff");
  L.Model.SaveToFile(Saved);

  TIffReader Reader(Saved, true);
  EXPECT_EQ(Reader.CurrentTag(), TIffTag("DETA"));
  ASSERT_EQ(Reader.FormCount(), 1);  // no HARD, no COLL
  Reader.OpenForm(TIffTag("MESH"));
  ASSERT_EQ(Reader.FormCount(), 1);
  EXPECT_EQ(Reader.GetForm(0)->Tag, TIffTag("0000"));
  Reader.OpenForm(TIffTag("0000"));
  Reader.OpenForm(TIffTag("MESH"));
  EXPECT_EQ(Reader.GetForm(0)->Tag, TIffTag("0012"));

  TLoaded Again;
  Again.Model.LoadFromFile(Saved);
  const TMeshData& A = L.Model.Mesh();
  const TMeshData& B = Again.Model.Mesh();
  ASSERT_EQ(B.FaceCount, A.FaceCount);
  ASSERT_EQ(B.FaceVertexCount, A.FaceVertexCount);
  EXPECT_EQ(std::memcmp(A.Faces.Data(), B.Faces.Data(), sizeof(TFace) * size_t(A.FaceCount)), 0);
  EXPECT_EQ(std::memcmp(A.FaceVertices.Data(), B.FaceVertices.Data(), sizeof(TFaceVertex) * size_t(A.FaceVertexCount)),
            0);
  EXPECT_EQ(Again.Model.HardpointCount(), 0);
}

TEST_F(ModelLoading, SaveOfAnUnloadedModelReadsItsOwnFileAndFreesItUnlessKept) {
  TZorvObject Model(TDisplayListPolicy::None);
  Model.LoadFromFile(SampleFile(Dir));
  Model.FreeData();
  Model.SaveToFile(Dir.File("saved.iff"));
  EXPECT_FALSE(Model.Mesh().Loaded);  // KeepData is off
  TZorvObject Saved(TDisplayListPolicy::None);
  Saved.LoadFromFile(Dir.File("saved.iff"));
  EXPECT_EQ(Saved.Mesh().FaceCount, SampleCraftMesh(0).Faces.size());
  // Never onto the model's own file, which stays as it was.
  const std::vector<uint8_t> Before = ReadFileBytes(SampleFile(Dir));
  EXPECT_EQ(MessageOf([&] { Model.SaveToFile(SampleFile(Dir)); }),
            SampleFile(Dir) + " is the model file itself; choose another name");
  EXPECT_EQ(ReadFileBytes(SampleFile(Dir)), Before);
}

TEST_F(ModelBounds, StartAtTenThousandAndZeroAndCountOnlyVerticesOfFaces) {
  TStoredMesh Mesh;
  Mesh.Face({{-3, -2, -1}, {-1, -5, -2}});
  Mesh.Vertices.push_back({-100, 100, 100});  // used by no face
  TVector Min, Max, Size;
  LoadBounds(Mesh, Min, Max);
  EXPECT_EQ(Min.X, -3.0f);
  EXPECT_EQ(Min.Y, -5.0f);
  EXPECT_EQ(Min.Z, -2.0f);
  // Every vertex is negative, yet Max stays at 0.
  EXPECT_EQ(Max.X, 0.0f);
  EXPECT_EQ(Max.Y, 0.0f);
  EXPECT_EQ(Max.Z, 0.0f);
  L.Model.GetSize(Size);
  EXPECT_EQ(Size.Y, 5.0f);
  float Largest = 0;
  L.Model.GetMaxSize(Largest);
  EXPECT_EQ(Largest, 5.0f);
}

TEST_F(ModelBounds, AMeshWithoutFacesKeepsTheStartingValues) {
  TZorvObject Model(TDisplayListPolicy::None);
  TVector Min, Max, Size;
  Model.GetBounds(Min, Max);
  Model.GetSize(Size);
  EXPECT_EQ(Min.X, 10000.0f);
  EXPECT_EQ(Max.Z, 0.0f);
  EXPECT_EQ(Size.X, -10000.0f);
  EXPECT_EQ(Size.Z, -10000.0f);
}

TEST_F(ModelBounds, AFaceWhoseLastCornerIsBadLeavesItsGoodCornersUnmeasured) {
  TStoredMesh Mesh;
  Mesh.Face({{1, 1, 1}, {2, 2, 2}});
  Mesh.Face({{-50, -50, -50}, {50, 50, 50}, {3, 3, 3}});
  Mesh.FaceVertices[size_t(Mesh.Faces[1].First) + 2].Vertex = 99;
  TVector Min, Max;
  LoadBounds(Mesh, Min, Max);
  EXPECT_EQ(Min.X, 1.0f);
  EXPECT_EQ(Max.X, 2.0f);
}

TEST_F(ModelBounds, FacesWithIndicesOutsideTheArraysAreNotMeasured) {
  TStoredMesh Mesh;
  Mesh.Face({{1, 1, 1}, {2, 2, 2}});
  for (float V : {50, 60, 70, 80}) Mesh.Face({{V, V, V}});
  Mesh.Faces[1].Normal = 99;                           // no such normal
  Mesh.FaceVertices[Mesh.Faces[2].First].Vertex = -1;  // no such vertex
  Mesh.Faces[3].First = 0x7FFFFFFF;                    // First + Count overflows
  Mesh.Faces[4].Count = -1;
  TVector Min, Max;
  LoadBounds(Mesh, Min, Max);
  EXPECT_EQ(Min.X, 1.0f);
  EXPECT_EQ(Max.X, 2.0f);
  EXPECT_EQ(L.Model.Mesh().FaceCount, 5);  // counted all the same
}

TEST_F(ModelRefusal, AChunkSizeBeyondTheFileIsRefusedBeforeAnythingIsAllocated) {
  WriteSingleMeshModel(File, Square(1), {}, nullptr);
  const int32_t Face = ChunkOffset(File, {"0012"}, "FACE");
  PatchBigEndian(File, Face + 4, 0x10000000);
  const int64_t InFile = int64_t(std::filesystem::file_size(File)) - (Face + 8);
  EXPECT_EQ(MessageOf([&] { L.Model.LoadFromFile(File); }), "TZorvObject: Chunk (FACE) runs past the end of " + File +
                                                                " (268435456 bytes, " + std::to_string(InFile) +
                                                                " in the file)!");
  EXPECT_EQ(L.Model.Mesh().FaceCount, 0);
  EXPECT_FALSE(L.Model.Mesh().Faces.Allocated());
  EXPECT_EQ(L.Model.Mesh().FaceVertexCount, 4);  // read before the refusal
}

TEST_F(ModelRefusal, AFileCutInsideAChunkRecordIsRefused) {
  WriteSingleMeshModel(File, MeshWithFaces(2), {}, nullptr);
  std::vector<uint8_t> Bytes = ReadFileBytes(File);
  Bytes.resize(Bytes.size() - 10);  // FACE is last: its second record loses 10 bytes
  WriteFileBytes(File, Bytes);
  EXPECT_EQ(MessageOf([&] { L.Model.LoadFromFile(File); }),
            "TZorvObject: Chunk (FACE) runs past the end of " + File + " (56 bytes, 46 in the file)!");
}

TEST_F(ModelRefusal, AMissingPadByteAtTheEndOfTheFileReadsAsZeroAndIsNotCounted) {
  // "FACE" holds one record and 3 more bytes; the file ends without the pad.
  TStoredMesh Mesh = MeshWithFaces(1);
  std::vector<uint8_t> Face = RecordBytes(Mesh.Faces) + std::vector<uint8_t>{7, 7, 7};
  // FACE is the last item of the file.
  WriteRawMesh(File, {{"VERT", FloatBytes({0, 0, 0})},
                      {"VTNM", FloatBytes({0, 0, 1})},
                      {"FVRT", std::vector<uint8_t>(16, 0)},
                      {"FACE", Face}});
  DropLastByte(File);  // the pad byte
  L.Model.LoadFromFile(File);
  EXPECT_EQ(L.Model.Mesh().FaceCount, 1);
  EXPECT_EQ(L.Model.Mesh().Faces.Bytes(), 32u);
}

TEST_F(ModelRefusal, AMissingPadByteMayCompleteTheLastRecordButAMissingDataByteMayNot) {
  // "VERT" is the file's last item; 35 bytes are counted as 36, three records.
  // Written without its last byte.
  auto WriteEndingWithVertCut = [&](size_t VertBytes) {
    WriteRawMesh(File, {{"VTNM", FloatBytes({0, 0, 1})},
                        {"FVRT", std::vector<uint8_t>(16, 0)},
                        {"FACE", RecordBytes(MeshWithFaces(1).Faces)},
                        {"VERT", std::vector<uint8_t>(VertBytes, 0x41)}});
    DropLastByte(File);
  };
  WriteEndingWithVertCut(35);  // loses the pad byte
  L.Model.LoadFromFile(File);
  EXPECT_EQ(L.Model.Mesh().VertexCount, 3);
  EXPECT_EQ(L.Model.Mesh().Vertices.Bytes(), 36u);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(L.Model.Mesh().Vertices.Data())[35], 0);

  // 36 bytes of data cut by one: that byte is data, and the file is refused.
  WriteEndingWithVertCut(36);
  EXPECT_EQ(MessageOf([&] { L.Model.LoadFromFile(File); }),
            "TZorvObject: Chunk (VERT) runs past the end of " + File + " (36 bytes, 35 in the file)!");
}

TEST_F(ModelSetters, SetLODReadsTheFileAgainOnlyForANewValueOnceAFileIsKnown) {
  WriteLevels(File, {MeshWithFaces(1), MeshWithFaces(2)});
  L.Model.SetLOD(1);  // no file yet: only stored
  EXPECT_TRUE(L.Log.Messages.empty());
  EXPECT_EQ(L.Model.LOD(), 1);
  L.Model.LoadFromFile(File);
  L.Log.Messages.clear();
  L.Model.SetLOD(1);
  EXPECT_TRUE(L.Log.Messages.empty());
  L.Model.SetLOD(0);
  EXPECT_EQ(L.Log.Messages.at(3), "load LOD: 0000");
  EXPECT_EQ(L.Model.Mesh().FaceCount, 1);
}

TEST_F(ModelSetters, KeepDataOffReleasesALoadedMeshAtOnce) {
  L.Model.LoadFromFile(SampleFile(Dir));
  L.Model.SetKeepData(true);
  EXPECT_TRUE(L.Model.Mesh().Loaded);
  L.Model.SetKeepData(false);
  EXPECT_FALSE(L.Model.Mesh().Loaded);
  EXPECT_FALSE(L.Model.Mesh().Vertices.Allocated());
  EXPECT_EQ(L.Model.Mesh().FaceCount, 0);
  EXPECT_EQ(L.Model.Mesh().VertexCount, 0);
}

TEST_F(ModelSetters, FlagsMarkTheListDirtyExceptUseList) {
  TZorvObject Model(TDisplayListPolicy::None);
  EXPECT_TRUE(Model.ListDirty());
  EXPECT_EQ(Model.DisplayList(), 0u);
  EXPECT_EQ(Model.LOD(), 0);
  EXPECT_EQ(Model.Scale(), 0.0f);
  EXPECT_EQ(Model.FitSize(), 0.0f);
  Model.SetUseList(true);
  EXPECT_TRUE(Model.UseList());
  Model.SetFitSize(0.4f);
  EXPECT_EQ(Model.FitSize(), 0.4f);
}

TEST_F(ModelReload, AReloadThatFailsEarlyLeavesNoCountsOrHardpointsOfTheEarlierLoad) {
  WriteSampleModel(File);
  L.Model.LoadFromFile(File);
  ASSERT_GT(L.Model.HardpointCount(), 0);
  WriteFile(File, "MESH", [](TIffWriter& W) { Form(W, "0012", [](TIffWriter&) {}); });
  EXPECT_EQ(MessageOf([&] { L.Model.LoadFromFile(File); }), "TIffReader[Form: 0012]: Chunk (VERT) doesn't exist!");
  EXPECT_EQ(L.Model.Mesh().VertexCount, 0);
  EXPECT_EQ(L.Model.Mesh().NormalCount, 0);
  EXPECT_EQ(L.Model.Mesh().FaceVertexCount, 0);
  EXPECT_EQ(L.Model.HardpointCount(), 0);
}

TEST_F(ModelLoading, TheSampleIsWrittenWholeOrNotAtAll) {
  WriteFileBytes(File, {'o', 'l', 'd'});
  {
    TFileCallsGuard Guard;  // a disk that takes ten bytes and no more
    FileCalls().pwrite = [](int Handle, const void* Buffer, unsigned long Count, long Offset) -> long {
      return Offset < 10 ? ::pwrite(Handle, Buffer, std::min<unsigned long>(Count, 10 - Offset), Offset) : 0;
    };
    const std::string Size = std::to_string(SampleModelBytes(false).size());
    EXPECT_EQ(MessageOf([&] { WriteSampleModel(File); }),
              "Cannot write all of " + File + " (10 of " + Size + " bytes)");
  }
  EXPECT_EQ(ReadFileBytes(File), (std::vector<uint8_t>{'o', 'l', 'd'}));
  WriteSampleSingleMeshModel(File);
  EXPECT_EQ(ReadFileBytes(File), SampleModelBytes(true));
}

TEST_F(ModelReload, AReadOnlyFileIsRefusedUnlessTheModelOpensItReadOnly) {
  WriteSampleModel(File);
  std::filesystem::permissions(File, std::filesystem::perms::owner_read);
  if (access(File.c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights that ignore file modes";
  TLoaded Editor;
  EXPECT_EQ(MessageOf([&] { Editor.Model.LoadFromFile(File); }), "Cannot open file " + File);
  TLoaded Inspector;
  Inspector.Model.OpenReadOnly = true;
  Inspector.Model.LoadFromFile(File);
  EXPECT_EQ(Inspector.Model.HardpointCount(), 5);
}

TEST_F(ModelReload, AMissingFileRaisesTheFileLayersError) {
  EXPECT_EQ(MessageOf([&] { L.Model.LoadFromFile(Dir.File("none.iff")); }), "Cannot open file " + Dir.File("none.iff"));
}

}  // namespace
