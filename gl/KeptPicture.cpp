#include "gl/KeptPicture.h"

#include <GL/gl.h>

namespace {

int PowerOfTwoAtLeast(int Value) {
  int Side = 1;
  while (Side < Value) Side *= 2;
  return Side;
}

}  // namespace

bool TKeptPicture::Keep(int Width, int Height) {
  FHeld = false;
  GLint Largest = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &Largest);
  if (Width <= 0 || Height <= 0 || Width > Largest || Height > Largest) return false;
  const int TextureWidth = PowerOfTwoAtLeast(Width), TextureHeight = PowerOfTwoAtLeast(Height);
  glPushAttrib(GL_TEXTURE_BIT);
  if (FTexture == 0) {
    GLuint Name = 0;
    glGenTextures(1, &Name);
    FTexture = Name;
    FTextureWidth = FTextureHeight = 0;
  }
  glBindTexture(GL_TEXTURE_2D, FTexture);
  if (TextureWidth != FTextureWidth || TextureHeight != FTextureHeight) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, TextureWidth, TextureHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    FTextureWidth = TextureWidth;
    FTextureHeight = TextureHeight;
  }
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, Width, Height);
  glPopAttrib();
  FHeld = glGetError() == GL_NO_ERROR;
  FWidth = Width;
  FHeight = Height;
  return FHeld;
}

void TKeptPicture::Put() const {
  if (!FHeld) return;
  glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT |
               GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  // Every pixel centre samples its own texel: nothing blended, filtered,
  // tested or lit on the way.
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_DITHER);
  glDisable(GL_COLOR_LOGIC_OP);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, FTexture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  const float S = float(FWidth) / float(FTextureWidth), T = float(FHeight) / float(FTextureHeight);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(S, 0);
  glVertex2f(1, -1);
  glTexCoord2f(S, T);
  glVertex2f(1, 1);
  glTexCoord2f(0, T);
  glVertex2f(-1, 1);
  glEnd();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

void TKeptPicture::Release() {
  if (FTexture != 0) {
    GLuint Name = FTexture;
    glDeleteTextures(1, &Name);
  }
  Forget();
}

void TKeptPicture::Forget() {
  FTexture = 0;
  FTextureWidth = FTextureHeight = 0;
  FHeld = false;
}
