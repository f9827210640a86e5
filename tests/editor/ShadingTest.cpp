// The display modes as pixels of a picture: a face's colour where it is lit,
// textured, or its texture is missing or refused; a back face culled; the
// note on textures not drawn; the markers and the sphere over the surfaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "editor/Scene.h"
#include "editor/ScenePicture.h"
#include "gl/HeadlessContext.h"
#include "model/SampleModel.h"
#include "model/ShadedDrawing.h"
#include "tests/support/IffBytes.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int Side = 64;
constexpr uint32_t Black = 0x000000;
constexpr uint32_t Texel = 0xC8283C;  // the one colour of texture 5

// Within one step per channel: the driver may round x.5 either way.
bool Near(uint32_t Pixel, uint32_t Colour) {
  for (int Shift = 0; Shift < 24; Shift += 8)
    if (std::abs(int((Pixel >> Shift) & 0xFF) - int((Colour >> Shift) & 0xFF)) > 1) return false;
  return true;
}

// Colour scaled by Share, as the light leaves it.
uint32_t Lit(uint32_t Colour, double Share) {
  uint32_t Out = 0;
  for (int Shift = 0; Shift < 24; Shift += 8) Out |= uint32_t(std::lround(((Colour >> Shift) & 0xFF) * Share)) << Shift;
  return Out;
}

uint32_t Grey(float Level) { return Lit(0xFFFFFF, Level); }

// A square of side 2 about the origin wearing Texture, its normal turned
// Degrees about y from +z (towards +x); Away stores it facing -z instead.
TSampleMesh Square(int32_t Texture, double Degrees = 0, bool Away = false) {
  const float C = float(std::cos(Degrees * M_PI / 180)), S = float(std::sin(Degrees * M_PI / 180));
  const TVector U{C, 0, -S}, V{0, 1, 0};
  std::vector<TVector> Corners{{-U.X - V.X, -U.Y - V.Y, -U.Z - V.Z},
                               {U.X - V.X, U.Y - V.Y, U.Z - V.Z},
                               {U.X + V.X, U.Y + V.Y, U.Z + V.Z},
                               {-U.X + V.X, -U.Y + V.Y, -U.Z + V.Z}};
  if (Away) std::reverse(Corners.begin(), Corners.end());
  TSampleMesh Mesh;
  Mesh.AddPolygon(Corners, Texture);
  return Mesh;
}

class ShadingTest : public ::testing::Test {
protected:
  void SetUp() override {
    TPalette Palette{};
    Palette[0] = 0xC8, Palette[1] = 0x28, Palette[2] = 0x3C;
    WriteMatFile(Dir.File("00000005.mat"), 2, 2, Palette, {0, 0, 0, 0});
    // Forged: two pixels where the size names four.
    WriteMatFile(Dir.File("00000007.mat"), 2, 2, Palette, {0, 0});
    // Wider than any OpenGL takes.
    WriteMatFile(Dir.File("00000008.mat"), 100000, 1, Palette, std::vector<uint8_t>(100000, 0));
    // Forged: a size no OpenGL takes over a sparse pixel chunk of as many
    // bytes (2 GB that use no disk, and must never be read).
    constexpr uint32_t Pixels = 46340u * 46340u;
    const TBytes Fram =
        Chunk("INFO", Ints({46340, 46340})) + Form("PAL ", Chunk("CMAP", TBytes(768, 0))) + Header("PXLS", Pixels);
    const TBytes Head = FormHeader("MATR", uint32_t(4 + 12 + Fram.size() + Pixels)) +
                        FormHeader("FRAM", uint32_t(4 + Fram.size() + Pixels)) + Fram;
    WriteFileBytes(Dir.File("00000020.mat"), Head);
    std::filesystem::resize_file(Dir.File("00000020.mat"), Head.size() + Pixels);
    // Damaged: a palette cut short, which the IFF reader refuses.
    WriteFileBytes(Dir.File("00000021.mat"),
                   Form("MATR", Form("FRAM", Chunk("INFO", Ints({1, 1})) + Form("PAL ", Chunk("CMAP", TBytes(10, 0))) +
                                                 Chunk("PXLS", TBytes{0}))));
  }
  // The back view of Mesh, in Shading, with its textures beside it.
  TFramePixels Paint(const TSampleMesh& Mesh, TShading Shading) {
    WriteLodModel(File, {Mesh, Mesh}, Hardpoints, nullptr);
    TPictureRequest Request;
    Request.ModelFile = File;
    Request.Layout = FindViewLayout("Back View");
    Request.Width = Request.Height = Side;
    Request.Shading = Shading;
    Request.Scale = ZoomScale(Zoom);
    Request.ShowSphere = ShowSphere;
    Request.Sphere = std::array<float, 4>{0, 0, 0, 0.5f};
    Request.Notes = &Notes;
    Notes.str("");
    return RenderModelFrame(Request);
  }
  std::string Note() const { return Notes.str(); }

  TempDir Dir;
  std::string File = Dir.File("model.iff");
  std::vector<TSampleHardpoint> Hardpoints;
  bool ShowSphere = false;
  int Zoom = 100;
  std::ostringstream Notes;
};

}  // namespace

TEST_F(ShadingTest, EachModeShowsTheFaceInItsColour) {
  struct TCase {
    const char* What;
    TSampleMesh Mesh;
    TShading Shading;
    uint32_t Centre;
    std::string Note;
    int Zoom = 100;
  };
  const std::string Folder = Dir.Path().string();
  const TCase Cases[] = {
      {"outlines leave the face hollow", Square(5), TShading::Outlines, Black, ""},
      {"solid, facing the light", Square(5), TShading::Solid, Grey(SolidGrey), ""},
      {"solid, turned 60 degrees", Square(5, 60), TShading::Solid,
       Grey(SolidGrey * (AmbientShare + (1 - AmbientShare) * 0.5f)), ""},
      {"solid, a back face is culled", Square(5, 0, true), TShading::Solid, Black, ""},
      {"solid, mirrored: what faces the viewer is kept", Square(5, 0, true), TShading::Solid, Grey(SolidGrey), "",
       -100},
      {"textured, facing the light", Square(5), TShading::Textured, Texel, ""},
      {"textured, turned 60 degrees", Square(5, 60), TShading::Textured,
       Lit(Texel, AmbientShare + (1 - AmbientShare) * 0.5), ""},
      {"textured, no texture", Square(10000000), TShading::Textured, Grey(SolidGrey), ""},
      {"textured, the texture missing", Square(6), TShading::Textured, Grey(MissingGrey),
       "Textures not found in " + Folder + ", drawn in grey: 00000006\n"},
      {"textured, the texture forged", Square(7), TShading::Textured, Grey(MissingGrey),
       "TZorvTexture: " + Folder + "/00000007.mat holds 2 pixels, fewer than 2 x 2!\n"},
      {"textured, the texture too wide", Square(8), TShading::Textured, Grey(MissingGrey),
       "TFaceTextures: " + Folder + "/00000008.mat is 100000 x 1 pixels, more than OpenGL takes!\n"},
      {"textured, a forged size refused by the header alone", Square(20), TShading::Textured, Grey(MissingGrey),
       "TFaceTextures: " + Folder + "/00000020.mat is 46340 x 46340 pixels, more than OpenGL takes!\n"},
      {"textured, the reader's refusal names the file", Square(21), TShading::Textured, Grey(MissingGrey),
       Folder + "/00000021.mat: TIffReader: Read beyond end of chunk!\n"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    TFramePixels F;
    try {
      Zoom = C.Zoom;
      F = Paint(C.Mesh, C.Shading);
    } catch (const EHeadlessGL& E) {
      GTEST_SKIP() << E.Message();
    }
    const uint32_t Centre = F.At(Side / 2, Side / 2);
    EXPECT_TRUE(Near(Centre, C.Centre)) << std::hex << Centre << " for " << C.Centre;
    EXPECT_EQ(Note(), C.Note);
  }
}

TEST_F(ShadingTest, MissingTexturesAreNamedInOneNote) {
  TSampleMesh Mesh = Square(9);
  for (int32_t Texture : {12, 9, 12, 5, 7}) Mesh.AddPolygon({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}}, Texture);
  try {
    Paint(Mesh, TShading::Textured);
  } catch (const EHeadlessGL& E) {
    GTEST_SKIP() << E.Message();
  }
  EXPECT_EQ(Note(), "Textures not found in " + Dir.Path().string() + ", drawn in grey: 00000009, 00000012\n" +
                        "TZorvTexture: " + Dir.File("00000007.mat") + " holds 2 pixels, fewer than 2 x 2!\n");
}

TEST_F(ShadingTest, MarkersAndSphereStayVisibleOverTheSurfaces) {
  // A hardpoint at the centre pointing along +x, and the sphere about it.
  TSampleHardpoint Gun{"gun"};
  Gun.Matrix = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
  Hardpoints = {Gun};
  ShowSphere = true;
  for (TShading Shading : {TShading::Solid, TShading::Textured}) {
    SCOPED_TRACE(ShadingNames[int(Shading)]);
    TFramePixels F;
    try {
      F = Paint(Square(5), Shading);
    } catch (const EHeadlessGL& E) {
      GTEST_SKIP() << E.Message();
    }
    int Yellow = 0, Sphere = 0;
    for (int Y = 0; Y < Side; ++Y)
      for (int X = 0; X < Side; ++X) {
        Yellow += Near(F.At(X, Y), 0xFFFF00);
        Sphere += Near(F.At(X, Y), 0x4D4D66) || Near(F.At(X, Y), 0x8080BF);
      }
    EXPECT_GT(Yellow, 0) << "the selected hardpoint's marker";
    EXPECT_GT(Sphere, 20) << "the sphere and its cross";
  }
}

TEST(ShadingNamesTest, MenuAndCommandLineSpellingsFindTheMode) {
  EXPECT_EQ(FindShading("Solid"), TShading::Solid);
  EXPECT_EQ(FindShading("textured"), TShading::Textured);
  EXPECT_EQ(FindShading("outlines"), TShading::Outlines);
  EXPECT_EQ(FindShading("SOLID"), std::nullopt);
}
