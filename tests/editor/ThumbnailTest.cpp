// The thumbnail: one view, the model centred and filling the square whatever
// its place and size in model units, and never a part of a picture on disk.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "editor/ModelThumbnail.h"
#include "editor/Scene.h"
#include "gl/HeadlessContext.h"
#include "gl/PngPicture.h"
#include "model/SampleModel.h"
#include "tests/support/BoxMesh.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int Side = 100;

// The bounding box of the lit pixels.
struct TLit {
  int X0 = Side, Y0 = Side, X1 = -1, Y1 = -1;
};
TLit FindLit(const TFramePixels& F) {
  TLit L;
  for (int Y = 0; Y < F.Height; ++Y)
    for (int X = 0; X < F.Width; ++X)
      if (F.At(X, Y) != 0) {
        L.X0 = std::min(L.X0, X);
        L.X1 = std::max(L.X1, X);
        L.Y0 = std::min(L.Y0, Y);
        L.Y1 = std::max(L.Y1, Y);
      }
  return L;
}

}  // namespace

TEST(ThumbnailTest, EachViewCentresAndFillsAModelFarFromItsOrigin) {
  TempDir Dir;
  const std::string File = Dir.File("box.iff");
  // 4 wide, 2 high, 1 deep, nowhere near the origin and with the depth
  // negative, so a wrong axis or sign puts it off the picture.
  WriteLodModel(File, {Box({10, -30, -6}, {14, -28, -5})}, {}, nullptr);
  struct TCase {
    const char* View;
    double Across, Up;  // the box's extents on the screen
  };
  for (const TCase& C : {TCase{"Top View", 4, 1}, TCase{"Side View", 1, 2}, TCase{"Back View", 4, 2}}) {
    SCOPED_TRACE(C.View);
    TThumbnailRequest Request;
    Request.ModelFile = File;
    Request.Width = Side;
    Request.Layout = FindViewLayout(C.View);
    TFramePixels F;
    try {
      F = RenderModelThumbnail(Request);
    } catch (const EHeadlessGL& E) {
      GTEST_SKIP() << E.Message();
    }
    ASSERT_EQ(F.Width, Side);
    ASSERT_EQ(F.Height, Side);
    const TLit L = FindLit(F);
    EXPECT_NEAR((L.X0 + L.X1) / 2.0, (Side - 1) / 2.0, 1.5);
    EXPECT_NEAR((L.Y0 + L.Y1) / 2.0, (Side - 1) / 2.0, 1.5);
    // The larger extent fills the square but for the margin.
    const double Larger = std::max(L.X1 - L.X0, L.Y1 - L.Y0);
    EXPECT_NEAR(Larger, Side / 1.08, 2.0);
    EXPECT_NEAR(double(L.X1 - L.X0) / double(L.Y1 - L.Y0), C.Across / C.Up, 0.15 * C.Across / C.Up);
  }
}

TEST(ThumbnailTest, AFailureLeavesTheTargetAsItWasAndNoPartBehind) {
  TempDir Dir;
  const std::string Png = Dir.File("thumb.png");
  WriteFileBytes(Png, {'o', 'l', 'd'});
  const std::string Broken = Dir.File("broken.iff");
  WriteFileBytes(Broken, {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'D', 'E', 'T', 'A'});
  TThumbnailRequest Request;
  Request.ModelFile = Broken;
  EXPECT_EQ(MessageOf([&] { WriteModelThumbnail(Request, Png); }), "TIffReader: Form (MESH) doesn't exist!");
  EXPECT_EQ(ReadFileBytes(Png), (std::vector<uint8_t>{'o', 'l', 'd'}));

  // A folder is refused before anything is painted.
  const std::string Folder = Dir.File("folder.png");
  std::filesystem::create_directory(Folder);
  Request.ModelFile = Dir.File("model.iff");
  WriteSampleModel(Request.ModelFile);
  Request.Width = 16;
  EXPECT_EQ(MessageOf([&] { WriteModelThumbnail(Request, Folder); }), "Cannot create file " + Folder);
  size_t Entries = 0;
  for ([[maybe_unused]] const auto& Entry : std::filesystem::directory_iterator(Dir.Path())) ++Entries;
  EXPECT_EQ(Entries, 4u);  // thumb.png, broken.iff, model.iff, folder.png
}

// A thumbnail service opens the output before it runs the command and reads
// the picture through that descriptor: the picture must go into that very
// file, not a new one put in its place.
TEST(ThumbnailTest, ThePictureReachesTheFileTheCallerHoldsOpen) {
  TempDir Dir;
  const std::string Png = Dir.File("thumb.png"), Model = Dir.File("model.iff");
  WriteSampleModel(Model);
  WriteFileBytes(Png, {});
  const int Held = ::open(Png.c_str(), O_RDONLY);
  ASSERT_GE(Held, 0);
  TThumbnailRequest Request;
  Request.ModelFile = Model;
  Request.Width = 32;
  try {
    WriteModelThumbnail(Request, Png);
  } catch (const EHeadlessGL& E) {
    ::close(Held);
    GTEST_SKIP() << E.Message();
  }
  std::vector<uint8_t> Seen(1 << 16);
  const ssize_t Got = ::pread(Held, Seen.data(), Seen.size(), 0);
  ::close(Held);
  ASSERT_GT(Got, 8);
  Seen.resize(size_t(Got));
  EXPECT_EQ(Seen, ReadFileBytes(Png));
  const TPngPicture Picture = ReadPng(Png);
  EXPECT_EQ(Picture.Width, 32);
}
