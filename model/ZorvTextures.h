#pragma once
// Material textures: ".mat" files (an IFF container: FORM "FRAM" with chunk
// "INFO" = width, height; FORM "PAL " with chunk "CMAP" = 256 RGB entries;
// chunk "PXLS" = one palette index per pixel, row after row) turned into RGB
// OpenGL textures, loaded on first use and kept until shutdown in the
// process-wide TextureList. Each texture gets an OpenGL name of its own from
// glGenTextures: the texture number is never used as the name, since the
// contexts the window shares with its toolkit hold textures of their own
// under small names (and name 0 is the context's default texture).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EZorvTexture);

class TIffReader;

using TPalette = std::array<uint8_t, 768>;  // 256 entries of red, green, blue

// Each index byte replaced by the three bytes of the palette entry it selects.
std::vector<uint8_t> PaletteToRGB(const TPalette& Palette, const uint8_t* Indices, size_t Count);

// The file a texture number is looked up in: Path + the number in decimal
// with at least 8 digits, zero-padded ("00001234.mat"; a negative number
// keeps its minus sign in front of its 8 digits, "-00000005.mat").
std::string TextureFileName(const std::string& Path, int32_t Number);
// The Path of a folder's textures: the folder ending in "/" (empty stays
// empty: the current folder).
std::string TexturePath(const std::string& Folder);

// False for the numbers that mean no texture (10000000 and above).
inline bool NamesTexture(int32_t Number) { return Number <= 9999999; }

// Whether the current context takes an RGB texture of Width x Height pixels
// (asked of its proxy texture: nothing is allocated).
bool OpenGLTakesTexture(int32_t Width, int32_t Height);

class TZorvTexture {
public:
  TZorvTexture() = default;
  // Deletes OpenGL texture TexName once it has been uploaded.
  virtual ~TZorvTexture();
  TZorvTexture(const TZorvTexture&) = delete;
  TZorvTexture& operator=(const TZorvTexture&) = delete;

  // Reads the ".mat" file, converts it to RGB and uploads it under a name of
  // its own (a current context is needed). A missing file raises Exception
  // with FileName + " not found!"; a missing item or short "INFO"/"CMAP"
  // raises the reader's error; a width or height that is not positive or
  // whose product is beyond 32 bits, and a "PXLS" with fewer than width x
  // height bytes in the file, raise EZorvTexture. Nothing is uploaded then.
  // Number is not the texture's name (that comes from OpenGL): it is unused,
  // and kept so that callers stay as they are.
  void LoadFromFile(const std::string& FileName, int32_t Number);
  // The first steps of ReadFromFile alone: the file found, its "INFO" read
  // into Width and Height and checked as above, nothing of the palette or
  // the pixels read. So a size can be refused before its pixels cost memory.
  void ReadSize(const std::string& FileName);
  // LoadFromFile without the upload, so it needs no OpenGL: reads and checks
  // the ".mat" file as above and returns its Width x Height pixels as RGB
  // triples; bytes of "PXLS" past them are not read.
  std::vector<uint8_t> ReadFromFile(const std::string& FileName, int32_t Number);
  // Takes a name from OpenGL at the first upload, binds it, linear filters,
  // and loads Width x Height RGB pixels (rows packed, no alignment padding)
  // as mipmap level 0.
  void Upload(const uint8_t* Pixels);

  uint32_t TexName = 0;  // 0 until the first upload
  std::string FileName;
  int32_t Width = 0;
  int32_t Height = 0;

private:
  // "FRAM" opened and its "INFO" read and checked, for ReadSize and
  // ReadFromFile.
  void ReadInfo(TIffReader& Reader, const std::string& FileName);

  bool FUploaded = false;
};

class TZorvTextures {
public:
  TZorvTextures() = default;
  TZorvTextures(const TZorvTextures&) = delete;
  TZorvTextures& operator=(const TZorvTextures&) = delete;

  // Numbers above 9999999 mean no texture: nullptr, nothing bound. Otherwise
  // the cached texture, loaded first when needed (a failed load caches
  // nothing and propagates its error), its name bound on GL_TEXTURE_2D.
  TZorvTexture* GetTexture(int32_t Number);
  // Releases every texture (their OpenGL textures need the context they were
  // loaded in to be current).
  void Clear();

  std::string Path;                                     // put in front of every file name; empty by default
  std::vector<std::unique_ptr<TZorvTexture>> Textures;  // loading order
  std::vector<int32_t> Numbers;                         // parallel to Textures
};

// The one texture list of the process.
extern TZorvTextures TextureList;
