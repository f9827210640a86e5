#include "model/ZorvTextures.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>

#include "iff/IffReader.h"
#include "runtime/FileLayer.h"

TZorvTextures TextureList;

std::vector<uint8_t> PaletteToRGB(const TPalette& Palette, const uint8_t* Indices, size_t Count) {
  std::vector<uint8_t> Pixels(Count * 3);
  uint8_t* Out = Pixels.data();
  for (size_t I = 0; I < Count; ++I) {
    const uint8_t* Entry = &Palette[size_t(Indices[I]) * 3];
    *Out++ = Entry[0];
    *Out++ = Entry[1];
    *Out++ = Entry[2];
  }
  return Pixels;
}

std::string TextureFileName(const std::string& Path, int32_t Number) {
  char Digits[24];
  const int64_t Value = Number;
  std::snprintf(Digits, sizeof Digits, "%s%08lld", Value < 0 ? "-" : "",
                static_cast<long long>(Value < 0 ? -Value : Value));
  return Path + Digits + ".mat";
}

std::string TexturePath(const std::string& Folder) {
  if (Folder.empty() || Folder.back() == '/') return Folder;
  return Folder + "/";
}

namespace {

void ReadExactly(TIffReader& Reader, void* Buffer, int32_t Count) {
  if (Reader.Read(Buffer, Count) != Count)
    throw EZorvTexture("TZorvTexture: " + Reader.FileName() + " ends inside chunk (" + Reader.CurrentTag().ToText() +
                       ")!");
}

}  // namespace

bool OpenGLTakesTexture(int32_t Width, int32_t Height) {
  if (Width <= 0 || Height <= 0) return false;
  GLint Largest = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &Largest);
  if (Width > Largest || Height > Largest) return false;
  glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 3, Width, Height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  GLint Taken = 0;
  glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &Taken);
  return Taken != 0;
}

TZorvTexture::~TZorvTexture() {
  if (FUploaded) glDeleteTextures(1, &TexName);
}

void TZorvTexture::LoadFromFile(const std::string& FileName, int32_t Number) {
  const std::vector<uint8_t> Pixels = ReadFromFile(FileName, Number);
  Upload(Pixels.data());
}

void TZorvTexture::ReadSize(const std::string& FileName) {
  if (!FileExists(FileName)) throw Exception(FileName + " not found!");
  TIffReader Reader(FileName);
  ReadInfo(Reader, FileName);
}

void TZorvTexture::ReadInfo(TIffReader& Reader, const std::string& FileName) {
  this->FileName = FileName;
  Reader.OpenForm(TIffTag("FRAM"));
  Reader.OpenChunk(TIffTag("INFO"));
  ReadExactly(Reader, &Width, 4);
  ReadExactly(Reader, &Height, 4);
  Reader.CloseChunk();
  if (Width <= 0 || Height <= 0 || int64_t(Width) * int64_t(Height) > INT32_MAX)
    throw EZorvTexture("TZorvTexture: " + FileName + " has an invalid size of " + std::to_string(Width) + " x " +
                       std::to_string(Height) + " pixels!");
}

std::vector<uint8_t> TZorvTexture::ReadFromFile(const std::string& FileName, int32_t) {
  if (!FileExists(FileName)) throw Exception(FileName + " not found!");
  TIffReader Reader(FileName);
  ReadInfo(Reader, FileName);
  const int64_t PixelCount = int64_t(Width) * int64_t(Height);

  TPalette Palette{};
  Reader.OpenForm(TIffTag("PAL "));
  Reader.OpenChunk(TIffTag("CMAP"));
  ReadExactly(Reader, Palette.data(), int32_t(Palette.size()));
  Reader.CloseChunk();
  Reader.CloseForm();

  Reader.OpenChunk(TIffTag("PXLS"));
  // Only what the file really holds is read: a forged size allocates nothing.
  const int64_t DataStart = int64_t(Reader.OpenChunkItem()->Offset) + 8;
  std::error_code Error;
  const int64_t InFile = std::max<int64_t>(0, int64_t(std::filesystem::file_size(FileName, Error)) - DataStart);
  const int64_t Readable = Error ? 0 : std::min<int64_t>(Reader.CurrentSize(), InFile);
  if (Readable < PixelCount)
    throw EZorvTexture("TZorvTexture: " + FileName + " holds " + std::to_string(std::max<int64_t>(Readable, 0)) +
                       " pixels, fewer than " + std::to_string(Width) + " x " + std::to_string(Height) + "!");
  // Only the pixels the size names are read: bytes past them are never
  // shown, and a forged chunk of any length costs no more than they do.
  std::vector<uint8_t> Indices(static_cast<size_t>(PixelCount));
  ReadExactly(Reader, Indices.data(), int32_t(PixelCount));
  Reader.CloseChunk();
  Reader.CloseForm();

  return PaletteToRGB(Palette, Indices.data(), Indices.size());
}

void TZorvTexture::Upload(const uint8_t* Pixels) {
  if (!FUploaded) {
    GLuint Name = 0;
    glGenTextures(1, &Name);
    TexName = Name;
  }
  glBindTexture(GL_TEXTURE_2D, TexName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  // RGB rows are packed: a width whose rows are not a multiple of 4 bytes
  // must not be read with OpenGL's default 4-byte row alignment.
  GLint Alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &Alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, Width, Height, 0, GL_RGB, GL_UNSIGNED_BYTE, Pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, Alignment);
  FUploaded = true;
}

TZorvTexture* TZorvTextures::GetTexture(int32_t Number) {
  if (!NamesTexture(Number)) return nullptr;
  TZorvTexture* Texture = nullptr;
  auto Found = std::find(Numbers.begin(), Numbers.end(), Number);
  if (Found != Numbers.end()) {
    Texture = Textures[size_t(Found - Numbers.begin())].get();
  } else {
    auto Loaded = std::make_unique<TZorvTexture>();
    Loaded->LoadFromFile(TextureFileName(Path, Number), Number);
    Texture = Loaded.get();
    Textures.push_back(std::move(Loaded));
    Numbers.push_back(Number);
  }
  glBindTexture(GL_TEXTURE_2D, Texture->TexName);
  return Texture;
}

void TZorvTextures::Clear() {
  Textures.clear();
  Numbers.clear();
}
