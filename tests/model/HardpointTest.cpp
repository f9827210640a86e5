// Hardpoints: which FORM "HARD" is read, how a chunk's floats map onto the
// matrix, names, and what a load that fails part-way leaves.
#include <gtest/gtest.h>

#include "model/TZorvObject.h"
#include "tests/model/ModelFixtures.h"
#include "tests/support/ErrorMessage.h"

using namespace ModelFixtures;

namespace {

const std::vector<float> Identity567{1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7};

std::vector<uint8_t> HardChunk(const std::vector<float>& Rows, const std::string& Name) {
  return FloatBytes(Rows) + NameBytes(Name);
}

// Writes FORM "HARD" holding Chunks in the order given.
TBody HardForm(TRawChunks Chunks) {
  return [Chunks = std::move(Chunks)](TIffWriter& W) {
    Form(W, "HARD", [&](TIffWriter& H) {
      for (const auto& [Tag, Data] : Chunks) RawChunk(H, Tag, Data);
    });
  };
}

// Loads into Model a level-of-detail file whose top form holds, after its
// "MESH" container, whatever Extra writes.
void LoadInto(TZorvObject& Model, const TempDir& Dir, const TBody& Extra) {
  const std::string File = Dir.File("model.iff");
  WriteLevels(File, {Square(1)}, Extra);
  Model.LoadFromFile(File);
}

std::unique_ptr<TZorvObject> LoadWith(const TempDir& Dir, const TBody& Extra) {
  auto Model = std::make_unique<TZorvObject>(TDisplayListPolicy::None);
  LoadInto(*Model, Dir, Extra);
  return Model;
}

TEST(Hardpoints, FileRowsMapOntoTheColumnMajorMatrix) {
  TempDir Dir;
  auto Model = LoadWith(Dir, HardForm({{"HARD", HardChunk(Identity567, "Gun")},
                                       {"HARD", HardChunk({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, "Rows")}}));
  ASSERT_EQ(Model->HardpointCount(), 2);
  const THardpoint* Gun = Model->GetHardpoint(0);
  EXPECT_EQ(Gun->Name, "Gun");
  EXPECT_EQ(Gun->Matrix, (std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1}));
  // Each row is one axis then one position coordinate; 3, 7, 11 and 15 are
  // set whatever the file holds.
  EXPECT_EQ(Model->GetHardpoint(1)->Matrix, (std::array<float, 16>{1, 2, 3, 0, 5, 6, 7, 0, 9, 10, 11, 0, 4, 8, 12, 1}));
}

TEST(Hardpoints, ANameOfMegabytesIsReadWholeAndWhatFollowsItIsIgnored) {
  std::string Long(4 << 20, 'n');
  for (size_t I = 0; I < Long.size(); I += 4093) Long[I] = char('a' + I % 26);
  TempDir Dir;
  auto Model = LoadWith(Dir, HardForm({{"HARD", HardChunk(Identity567, Long) + std::vector<uint8_t>{'x', 0}},
                                       {"HARD", HardChunk(Identity567, "Next")}}));
  ASSERT_EQ(Model->HardpointCount(), 2);
  EXPECT_TRUE(Model->GetHardpoint(0)->Name == Long);
  EXPECT_EQ(Model->GetHardpoint(1)->Name, "Next");
}

TEST(Hardpoints, ChunksAreReadByIndexWhateverTheirTagWithNamesUpToTheZeroByte) {
  TempDir Dir;
  auto Model =
      LoadWith(Dir, HardForm({{"ABCD", HardChunk(Identity567, "First") + std::vector<uint8_t>{'x', 'y', 0, 'z'}},
                              {"HARD", HardChunk(Identity567, "")},
                              {"ABCD", HardChunk(Identity567, "Third")}}));
  ASSERT_EQ(Model->HardpointCount(), 3);
  EXPECT_EQ(Model->GetHardpoint(0)->Name, "First");  // bytes after the zero are ignored
  EXPECT_EQ(Model->GetHardpoint(1)->Name, "");
  EXPECT_EQ(Model->GetHardpoint(2)->Name, "Third");  // the second "ABCD" too
}

TEST(Hardpoints, OnlyTheTopFormsSecondSubFormIsRead) {
  TempDir Dir;
  auto Third = LoadWith(Dir, [](TIffWriter& W) {
    Form(W, "COLL", [](TIffWriter&) {});
    Form(W, "HARD", [](TIffWriter& H) { RawChunk(H, "HARD", HardChunk(Identity567, "Gun")); });
  });
  EXPECT_EQ(Third->HardpointCount(), 0);
  auto Empty = LoadWith(Dir, HardForm({}));
  EXPECT_EQ(Empty->HardpointCount(), 0);
  auto None = LoadWith(Dir, nullptr);
  EXPECT_EQ(None->HardpointCount(), 0);
}

TEST(Hardpoints, SingleMeshFilesReadThemAsTheSecondSubFormToo) {
  TempDir Dir;
  const std::string File = Dir.File("single.iff");
  WriteSingleMeshModel(File, Square(1), SampleCraftHardpoints(), nullptr);
  TZorvObject Model(TDisplayListPolicy::None);
  Model.LoadFromFile(File);
  ASSERT_EQ(Model.HardpointCount(), 5);
  EXPECT_EQ(Model.GetHardpoint(4)->Name, "Cockpit");
  EXPECT_EQ(Model.GetHardpoint(4)->Matrix, SampleCraftHardpoints()[4].Matrix);
}

TEST(Hardpoints, AShortChunkEndsTheLoadKeepingEarlierHardpointsAndEmptyEntriesAfter) {
  TempDir Dir;
  TZorvObject Model(TDisplayListPolicy::None);
  EXPECT_EQ(MessageOf([&] {
              LoadInto(Model, Dir,
                       HardForm({{"HARD", HardChunk(Identity567, "Good")},
                                 {"HARD", FloatBytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})},  // 44 bytes
                                 {"HARD", HardChunk(Identity567, "Never")}}));
            }),
            "TIffReader: Read beyond end of chunk!");
  ASSERT_EQ(Model.HardpointCount(), 3);
  EXPECT_EQ(Model.GetHardpoint(0)->Name, "Good");
  EXPECT_EQ(Model.GetHardpoint(1), nullptr);
  EXPECT_EQ(Model.GetHardpoint(2), nullptr);
  EXPECT_TRUE(Model.Mesh().Loaded);
}

TEST(Hardpoints, ANameWithoutItsZeroByteIsAReadBeyondTheChunk) {
  TempDir Dir;
  EXPECT_EQ(MessageOf([&] {
              LoadWith(Dir, HardForm({{"HARD", FloatBytes(Identity567) + std::vector<uint8_t>{'G', 'u'}}}));
            }),
            "TIffReader: Read beyond end of chunk!");
}

TEST(Hardpoints, GetHardpointGivesNothingOutsideTheList) {
  TempDir Dir;
  TZorvObject Model(TDisplayListPolicy::None);
  Model.LoadFromFile(SampleFile(Dir));
  EXPECT_EQ(Model.GetHardpoint(-1), nullptr);
  EXPECT_EQ(Model.GetHardpoint(Model.HardpointCount()), nullptr);
  EXPECT_NE(Model.GetHardpoint(Model.HardpointCount() - 1), nullptr);
}

TEST(Hardpoints, EveryLoadRebuildsTheListFromTheFile) {
  TempDir Dir;
  TZorvObject Model(TDisplayListPolicy::None);
  Model.LoadFromFile(SampleFile(Dir));
  Model.GetHardpoint(0)->Matrix[12] = 99;
  Model.SetLOD(2);
  EXPECT_EQ(Model.GetHardpoint(0)->Matrix[12], SampleCraftHardpoints()[0].Matrix[12]);
}

}  // namespace
