#pragma once
// A picture of the current drawing kept in a texture, to be put back pixel
// for pixel instead of being drawn again: glCopyTexSubImage2D from the colour
// buffer, a textured rectangle over the whole viewport to put it back (plain
// OpenGL 1.1: the texture's sides are powers of two, the picture in its
// corner). Needs the context it was kept in current, and frees its texture
// only through Release, so that it never touches OpenGL after its context is
// gone.
#include <cstdint>

class TKeptPicture {
public:
  // Copies the lower left Width x Height pixels of the colour buffer being
  // drawn. False, with nothing kept, when the texture could not hold them
  // (larger than the implementation's textures).
  bool Keep(int Width, int Height);
  // Puts the kept picture back over the viewport (which must be the kept
  // size), colour and alpha as they were. Every matrix and state it changes
  // is as it found it afterwards.
  void Put() const;
  bool Held() const { return FHeld; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Forgets the picture and deletes the texture.
  void Release();
  // Forgets the picture and the texture's name without a call to OpenGL: for
  // a context that is gone.
  void Forget();

private:
  uint32_t FTexture = 0;
  int FTextureWidth = 0, FTextureHeight = 0;
  int FWidth = 0, FHeight = 0;
  bool FHeld = false;
};
