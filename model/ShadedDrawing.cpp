#include "model/ShadedDrawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <vector>

#include "model/TZorvObject.h"
#include "runtime/FileLayer.h"

const char* const ShadingNames[ShadingCount] = {"Outlines", "Solid", "Textured"};
const char* const ShadingOptionNames[ShadingCount] = {"outlines", "solid", "textured"};

std::optional<TShading> FindShading(const std::string& Name) {
  for (int I = 0; I < ShadingCount; ++I)
    if (Name == ShadingNames[I] || Name == ShadingOptionNames[I]) return TShading(I);
  return std::nullopt;
}

TFaceTextures::TFaceTextures(const std::string& Folder) : FFolder(Folder) { FList.Path = TexturePath(Folder); }

TFaceTextures::TBinding TFaceTextures::Bind(int32_t Number) {
  if (!NamesTexture(Number)) return TBinding::NoTexture;
  if (FMissing.count(Number) || FRefused.count(Number)) return TBinding::Unavailable;
  // A missing file is a fact about the folder, not a fault of the file: it
  // is told apart so that the note can name the numbers together.
  const std::string File = TextureFileName(FList.Path, Number);
  if (!FileExists(File)) {
    FMissing.insert(Number);
    return TBinding::Unavailable;
  }
  try {
    // The size comes first, from the header alone: a size OpenGL does not
    // take is refused before its pixels are read, however many the file
    // claims to hold.
    if (std::find(FList.Numbers.begin(), FList.Numbers.end(), Number) == FList.Numbers.end()) {
      TZorvTexture Size;
      Size.ReadSize(File);
      if (!OpenGLTakesTexture(Size.Width, Size.Height)) return Refuse(Number, Size);
    }
    const TZorvTexture* Texture = FList.GetTexture(Number);
    // A texture OpenGL took in the proxy's question may still be left
    // without an image (memory); it would draw as if untextured, so it is
    // refused like a damaged file.
    GLint Width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &Width);
    if (Width == 0) return Refuse(Number, *Texture);
    return TBinding::Bound;
  } catch (const Exception& E) {
    // Most of the IFF reader's messages do not say which file they are
    // about: the note names it in front of them.
    const std::string& Message = E.Message();
    FRefused.emplace(Number, Message.find(File) == std::string::npos ? File + ": " + Message : Message);
  } catch (const std::bad_alloc&) {
    FRefused.emplace(Number, "TFaceTextures: " + File + " is more than memory holds!");
  }
  return TBinding::Unavailable;
}

TFaceTextures::TBinding TFaceTextures::Refuse(int32_t Number, const TZorvTexture& Texture) {
  FRefused.emplace(Number, "TFaceTextures: " + Texture.FileName + " is " + std::to_string(Texture.Width) + " x " +
                               std::to_string(Texture.Height) + " pixels, more than OpenGL takes!");
  return TBinding::Unavailable;
}

std::string TFaceTextures::Note() const {
  std::string Note;
  if (!FMissing.empty()) {
    Note = "Textures not found in " + (FFolder.empty() ? std::string(".") : FFolder) + ", drawn in grey:";
    const char* Separator = " ";
    for (int32_t Number : FMissing) {
      const std::string File = TextureFileName("", Number);
      Note += Separator + File.substr(0, File.size() - 4);
      Separator = ", ";
    }
    Note += "\n";
  }
  for (const auto& [Number, Message] : FRefused) Note += Message + "\n";
  return Note;
}

std::string ModelFolder(const std::string& ModelFile) {
  return std::filesystem::path(ModelFile).parent_path().string();
}

bool FolderHoldsTextures(const TZorvObject& Model, const std::string& Folder) {
  const TMeshData& Mesh = Model.Mesh();
  std::set<int32_t> Numbers;
  for (int32_t F = 0; F < Mesh.FaceCount; ++F) {
    const TFace& Face = Mesh.Faces[size_t(F)];
    if (FaceIsUsable(Mesh, Face) && NamesTexture(Face.Texture)) Numbers.insert(Face.Texture);
  }
  if (Numbers.empty()) return false;
  const std::string Path = TexturePath(Folder);
  for (int32_t Number : Numbers)
    if (!FileExists(TextureFileName(Path, Number))) return false;
  return true;
}

namespace {

enum class TPass { Fill, Textured, Edges };

void SetTexturing(bool& Current, bool On) {
  if (Current == On) return;
  if (On)
    glEnable(GL_TEXTURE_2D);
  else
    glDisable(GL_TEXTURE_2D);
  Current = On;
}

// The texture a face wears in the textured pass, its colour in its place
// when there is none or it cannot be drawn.
void WearTexture(TFaceTextures& Textures, int32_t Number, bool& Texturing) {
  switch (Textures.Bind(Number)) {
    case TFaceTextures::TBinding::Bound:
      SetTexturing(Texturing, true);
      glColor3f(1, 1, 1);  // the texture's own colours where lit full on
      break;
    case TFaceTextures::TBinding::NoTexture:
      SetTexturing(Texturing, false);
      glColor3f(SolidGrey, SolidGrey, SolidGrey);
      break;
    case TFaceTextures::TBinding::Unavailable:
      SetTexturing(Texturing, false);
      glColor3f(MissingGrey, MissingGrey, MissingGrey);
      break;
  }
}

// The usable faces in the order they are sent: last to first, as the
// model's own drawing sends them; for the textured pass grouped by texture
// (in that order within a group), so that each texture is bound once per
// drawing and not once per face.
std::vector<int32_t> FaceOrder(const TMeshData& Mesh, bool ByTexture) {
  std::vector<int32_t> Order;
  Order.reserve(size_t(Mesh.FaceCount));
  for (int32_t F = Mesh.FaceCount - 1; F >= 0; --F)
    if (FaceIsUsable(Mesh, Mesh.Faces[size_t(F)])) Order.push_back(F);
  if (ByTexture)
    std::stable_sort(Order.begin(), Order.end(), [&](int32_t A, int32_t B) {
      return Mesh.Faces[size_t(A)].Texture < Mesh.Faces[size_t(B)].Texture;
    });
  return Order;
}

// Each usable face as one polygon with its corners last to first, as the
// model's own drawing sends them, so the same faces face the viewer. The
// fill passes send the face's normal (and its texture and corners'
// coordinates when textured); the edge pass only the corners.
void SendFaces(const TMeshData& Mesh, TPass Pass, TFaceTextures* Textures) {
  bool Texturing = false;
  bool HaveLast = false;
  int32_t Last = 0;
  for (int32_t F : FaceOrder(Mesh, Pass == TPass::Textured)) {
    const TFace& Face = Mesh.Faces[size_t(F)];
    if (Pass == TPass::Textured && (!HaveLast || Face.Texture != Last)) {
      HaveLast = true;
      Last = Face.Texture;
      WearTexture(*Textures, Face.Texture, Texturing);
    }
    SendFacePolygon(Mesh, Face, Pass != TPass::Edges, Texturing);
  }
  SetTexturing(Texturing, false);
}

// One white light from the viewer: a directional light along the eye's z,
// set while the model-view matrix is the identity so it stays with the eye
// whatever view is drawn. A face turned full to it shows its colour, one
// seen edge-on AmbientShare of it.
void SetViewerLight() {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  const GLfloat Direction[4] = {0, 0, 1, 0};
  const GLfloat Diffuse[4] = {1 - AmbientShare, 1 - AmbientShare, 1 - AmbientShare, 1};
  const GLfloat None[4] = {0, 0, 0, 1};
  const GLfloat Ambient[4] = {AmbientShare, AmbientShare, AmbientShare, 1};
  glLightfv(GL_LIGHT0, GL_POSITION, Direction);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, Diffuse);
  glLightfv(GL_LIGHT0, GL_AMBIENT, None);
  glLightfv(GL_LIGHT0, GL_SPECULAR, None);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, Ambient);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  glPopMatrix();
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, None);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, None);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHTING);
  // The fit scale and the zoom change the normals' length; the light must
  // not.
  glEnable(GL_NORMALIZE);
  glShadeModel(GL_FLAT);
}

// True when the model-view matrix mirrors (its 3 x 3 part has a negative
// determinant).
bool MirrorsFaces() {
  GLfloat M[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, M);
  const double Determinant = double(M[0]) * (double(M[5]) * M[10] - double(M[9]) * M[6]) -
                             double(M[4]) * (double(M[1]) * M[10] - double(M[9]) * M[2]) +
                             double(M[8]) * (double(M[1]) * M[6] - double(M[5]) * M[2]);
  return Determinant < 0;
}

void ApplyFitScale(TZorvObject& Model) {
  if (Model.FitSize() != 0) Model.FitScale(Model.FitSize());
}

}  // namespace

void DrawShadedFaces(TZorvObject& Model, const TShadedOptions& Options) {
  if (Options.Shading == TShading::Outlines) return;
  const TMeshData& Mesh = Model.Mesh();
  glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT |
               GL_TEXTURE_BIT);
  glPushMatrix();
  // State and matrix come back however the drawing ends: a fit the model
  // cannot measure raises here as it does in the outlines' drawing.
  struct TRestore {
    TZorvObject& Model;
    ~TRestore() {
      glPopMatrix();
      glPopAttrib();
      Model.SetFaceState();
    }
  } Restore{Model};

  glClear(GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDepthMask(GL_TRUE);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glDisable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  SetViewerLight();
  if (Options.Edges) {
    // The faces step back a little, so their own edges pass the depth test.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1, 1);
  }
  ApplyFitScale(Model);
  // A mirroring zoom turns every face's corners the other way round on the
  // screen: the faces towards the viewer must still be the ones kept.
  if (MirrorsFaces()) glFrontFace(GL_CW);

  const bool Textured = Options.Shading == TShading::Textured && Options.Textures != nullptr;
  glColor3f(SolidGrey, SolidGrey, SolidGrey);
  SendFaces(Mesh, Textured ? TPass::Textured : TPass::Fill, Options.Textures);

  if (Options.Edges) {
    glDisable(GL_LIGHTING);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glDepthFunc(GL_LEQUAL);
    glColor3f(EdgeGrey, EdgeGrey, EdgeGrey);
    SendFaces(Mesh, TPass::Edges, nullptr);
  }
}

void DrawMarkersOverFaces(TZorvObject& Model) {
  glPushMatrix();
  ApplyFitScale(Model);
  Model.DrawHardpoints();
  glPopMatrix();
}
