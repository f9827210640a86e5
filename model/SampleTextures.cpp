#include "model/SampleTextures.h"

#include <cmath>

#include "iff/IffWriter.h"
#include "runtime/OutputFiles.h"

namespace {

// Each texture's two colours: the plates and the seams between them.
struct TPlating {
  int32_t Number;
  uint8_t Plate[3], Seam[3];
};
constexpr TPlating Platings[] = {
    {SampleTopTexture, {176, 190, 206}, {96, 110, 128}},
    {SampleUndersideTexture, {112, 116, 124}, {64, 66, 72}},
    {SampleFlankTexture, {200, 200, 188}, {180, 60, 40}},
    {SampleEndTexture, {220, 120, 40}, {90, 50, 20}},
};

constexpr int32_t TextureSide = 16;

}  // namespace

void AssignSampleTextures(TSampleMesh& Mesh) {
  for (TFace& Face : Mesh.Faces) {
    const TVector& N = Mesh.Normals[size_t(Face.Normal)];
    const float X = std::fabs(N.X), Y = std::fabs(N.Y), Z = std::fabs(N.Z);
    if (Y >= X && Y >= Z)
      Face.Texture = N.Y > 0 ? SampleTopTexture : SampleUndersideTexture;
    else if (X >= Z)
      Face.Texture = SampleFlankTexture;
    else
      Face.Texture = SampleEndTexture;
  }
}

std::vector<uint8_t> MatFileBytes(int32_t Width, int32_t Height, const TPalette& Palette,
                                  const std::vector<uint8_t>& Pixels) {
  TIffWriter Writer("", wmMemory);
  Writer.OpenForm(TIffTag("MATR"));
  Writer.OpenForm(TIffTag("FRAM"));
  Writer.OpenChunk(TIffTag("INFO"));
  Writer.WriteInteger(Width);
  Writer.WriteInteger(Height);
  Writer.CloseChunk();
  Writer.OpenForm(TIffTag("PAL "));
  Writer.OpenChunk(TIffTag("CMAP"));
  Writer.Write(Palette.data(), int32_t(Palette.size()));
  Writer.CloseChunk();
  Writer.CloseForm();
  Writer.OpenChunk(TIffTag("PXLS"));
  Writer.Write(Pixels.data(), int32_t(Pixels.size()));
  Writer.CloseChunk();
  Writer.CloseForm();
  Writer.CloseForm();
  return Writer.MemoryBytes();
}

std::vector<uint8_t> SampleTextureBytes(int32_t Number) {
  const TPlating* Plating = &Platings[0];
  for (const TPlating& P : Platings)
    if (P.Number == Number) Plating = &P;
  TPalette Palette{};
  for (int I = 0; I < 3; ++I) {
    Palette[size_t(I)] = Plating->Plate[I];
    Palette[size_t(3 + I)] = Plating->Seam[I];
  }
  // Plates of 8 x 8 pixels with a seam along two of their sides.
  std::vector<uint8_t> Pixels(size_t(TextureSide * TextureSide), 0);
  for (int32_t Y = 0; Y < TextureSide; ++Y)
    for (int32_t X = 0; X < TextureSide; ++X)
      if (X % 8 == 0 || Y % 8 == 0) Pixels[size_t(Y * TextureSide + X)] = 1;
  return MatFileBytes(TextureSide, TextureSide, Palette, Pixels);
}

void WriteSampleModelWithTextures(const std::string& ModelFile, const std::string& Folder, bool SingleMesh) {
  TNewFolders Made(Folder);
  const std::string Path = TexturePath(Folder);
  std::vector<std::string> Outputs{ModelFile};
  for (const TPlating& P : Platings) Outputs.push_back(TextureFileName(Path, P.Number));
  TOutputFiles Files(Outputs);
  const std::vector<uint8_t> Model = SampleModelBytes(SingleMesh);
  Files.Write(ModelFile, Model.data(), Model.size());
  for (size_t I = 0; I < std::size(Platings); ++I) {
    const std::vector<uint8_t> Mat = SampleTextureBytes(Platings[I].Number);
    Files.Write(Outputs[I + 1], Mat.data(), Mat.size());
  }
  Files.Commit();
  Made.Keep();
}
