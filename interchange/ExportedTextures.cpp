#include "interchange/ExportedTextures.h"

#include <algorithm>
#include <set>

#include "gl/PngPicture.h"
#include "model/ZorvTextures.h"

std::string TextureName(int32_t Number) {
  const std::string File = TextureFileName("", Number);
  return File.substr(0, File.size() - 4);  // without ".mat"
}

std::map<int32_t, TTextureImage> ReadTextureImages(const TExportedModel& Model, const std::string& Dir,
                                                   std::ostream& Warnings) {
  std::map<int32_t, TTextureImage> Images;
  if (Dir.empty()) return Images;
  std::set<int32_t> Numbers;
  for (const TExportedLevel& Level : Model.Levels)
    for (const TTextureGroup& Group : Level.Groups)
      if (Group.Texture < FirstNoTexture) Numbers.insert(Group.Texture);
  const std::string Path = TexturePath(Dir);
  for (int32_t Number : Numbers) {
    const std::string File = TextureFileName(Path, Number);
    try {
      TZorvTexture Texture;
      TTextureImage Image;
      Image.Rgb = Texture.ReadFromFile(File, Number);
      Image.Width = Texture.Width;
      Image.Height = Texture.Height;
      Images.emplace(Number, std::move(Image));
    } catch (const Exception& E) {
      Warnings << "texture " << File << " left out: " << E.Message() << "\n";
    }
  }
  return Images;
}

std::vector<uint8_t> TexturePng(const TTextureImage& Image, bool UpsideDown) {
  if (!UpsideDown) return EncodePng(Image.Width, Image.Height, 3, Image.Rgb);
  const size_t Row = size_t(Image.Width) * 3;
  std::vector<uint8_t> Flipped(Image.Rgb.size());
  for (size_t Y = 0; Y < size_t(Image.Height); ++Y)
    std::copy_n(Image.Rgb.data() + Y * Row, Row, Flipped.data() + (size_t(Image.Height) - 1 - Y) * Row);
  return EncodePng(Image.Width, Image.Height, 3, Flipped);
}
