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

// The faces as triangles in vertex arrays, the way the renderer takes a
// polygon apart: a face of corners c0..cn-1 (as its polygon receives them,
// last to first) becomes the triangles (c[i+1], c[i+2], c0), each corner
// carrying the face's normal and its texture coordinates, and an edge flag
// set only on the polygon's own edges, so that the outlines of the edge pass
// are the polygon's and not the triangles'. The renderer then meets the very
// triangles it made of each polygon, in the same order: the same pixels, at
// a few calls per drawing instead of several per corner.
class TFaceArrays {
public:
  void Clear() {
    Positions.clear();
    Normals.clear();
    TexCoords.clear();
    EdgeFlags.clear();
  }
  void Add(const TMeshData& Mesh, const TFace& Face, bool WithTexCoords) {
    if (Face.Count < 3) return;  // a polygon of fewer corners fills and outlines nothing
    const TVector& Normal = Mesh.Normals.Data()[Face.Normal];
    const TFaceVertex* Corners = Mesh.FaceVertices.Data();
    const int32_t Last = Face.First + Face.Count - 1;
    // The K-th corner the polygon receives.
    auto Put = [&](int32_t K, bool Edge) {
      const TFaceVertex& Corner = Corners[Last - K];
      const TVector& P = Mesh.Vertices.Data()[Corner.Vertex];
      Positions.insert(Positions.end(), {P.X, P.Y, P.Z});
      Normals.insert(Normals.end(), {Normal.X, Normal.Y, Normal.Z});
      if (WithTexCoords) TexCoords.insert(TexCoords.end(), {Corner.S, Corner.T});
      EdgeFlags.push_back(Edge ? GL_TRUE : GL_FALSE);
    };
    for (int32_t I = 0; I + 2 < Face.Count; ++I) {
      Put(I + 1, true);                 // the polygon's edge c[i+1] -> c[i+2]
      Put(I + 2, I + 3 == Face.Count);  // c[i+2] -> c0 closes the polygon on the last triangle
      Put(0, I == 0);                   // c0 -> c1 on the first
    }
  }
  size_t Vertices() const { return EdgeFlags.size(); }

  // Sends vertices [First, First + Count) as triangles; the edge pass sends
  // neither normals nor texture coordinates.
  void Draw(size_t First, size_t Count, bool Fill) const {
    if (Count == 0) return;
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, Positions.data());
    glEnableClientState(GL_EDGE_FLAG_ARRAY);
    glEdgeFlagPointer(0, EdgeFlags.data());
    if (Fill) {
      glEnableClientState(GL_NORMAL_ARRAY);
      glNormalPointer(GL_FLOAT, 0, Normals.data());
      if (!TexCoords.empty()) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, TexCoords.data());
      }
    }
    // Whole triangles per call, in runs the renderer takes at once.
    constexpr size_t Batch = size_t(3) << 16;
    for (size_t Start = First; Start < First + Count; Start += Batch)
      glDrawArrays(GL_TRIANGLES, GLint(Start), GLsizei(std::min(Batch, First + Count - Start)));
    glPopClientAttrib();
  }

private:
  std::vector<float> Positions, Normals, TexCoords;
  std::vector<GLboolean> EdgeFlags;
};

// The arrays of the mesh drawn last, kept while it is drawn again (every
// view, every repaint): one mesh's arrays are built once. A mesh whose
// arrays would outgrow KeptVertexLimit is sent in runs of faces instead,
// each built as it is sent, so its drawing never needs memory in proportion
// to the mesh beyond the face order. 4M vertices (up to 33 bytes each) is
// a mesh of some 700,000 quadrilaterals.
constexpr size_t KeptVertexLimit = size_t(4) << 20;
constexpr size_t StreamedFaces = 1 << 14;

struct TKeptArrays {
  uint64_t MeshVersion = 0;  // 0: nothing kept
  bool ByTexture = false;
  std::vector<int32_t> Order;  // FaceOrder
  bool Complete = false;       // Arrays holds every face of Order
  TFaceArrays Arrays;
  std::vector<size_t> FaceStart;  // with Complete: the first vertex of each face of Order, and the end
};

TKeptArrays& KeptArrays() {
  static TKeptArrays Kept;
  return Kept;
}

size_t TriangleVertices(const TMeshData& Mesh, const std::vector<int32_t>& Order) {
  size_t Vertices = 0;
  for (int32_t F : Order) Vertices += size_t(std::max(Mesh.Faces[size_t(F)].Count - 2, 0)) * 3;
  return Vertices;
}

const TKeptArrays& ArraysFor(const TZorvObject& Model, bool ByTexture) {
  TKeptArrays& Kept = KeptArrays();
  if (Kept.MeshVersion == Model.MeshVersion() && Kept.ByTexture == ByTexture) return Kept;
  const TMeshData& Mesh = Model.Mesh();
  Kept = TKeptArrays();
  Kept.Order = FaceOrder(Mesh, ByTexture);
  Kept.ByTexture = ByTexture;
  Kept.Complete = TriangleVertices(Mesh, Kept.Order) <= KeptVertexLimit;
  if (Kept.Complete) {
    Kept.FaceStart.reserve(Kept.Order.size() + 1);
    for (int32_t F : Kept.Order) {
      Kept.FaceStart.push_back(Kept.Arrays.Vertices());
      Kept.Arrays.Add(Mesh, Mesh.Faces[size_t(F)], ByTexture);
    }
    Kept.FaceStart.push_back(Kept.Arrays.Vertices());
  }
  Kept.MeshVersion = Model.MeshVersion();
  return Kept;
}

// Sends the faces Order[Begin, End) (all of one texture in the textured
// pass), from the kept arrays or built in runs.
void SendFaceRun(const TMeshData& Mesh, const TKeptArrays& Kept, size_t Begin, size_t End, bool Fill) {
  if (Kept.Complete) {
    Kept.Arrays.Draw(Kept.FaceStart[Begin], Kept.FaceStart[End] - Kept.FaceStart[Begin], Fill);
    return;
  }
  TFaceArrays Run;
  for (size_t Start = Begin; Start < End; Start += StreamedFaces) {
    Run.Clear();
    for (size_t I = Start; I < std::min(End, Start + StreamedFaces); ++I)
      Run.Add(Mesh, Mesh.Faces[size_t(Kept.Order[I])], Kept.ByTexture);
    Run.Draw(0, Run.Vertices(), Fill);
  }
}

// Each usable face as one polygon (Polygons) or as its polygon's triangles, in the order the model's own
// drawing sends them, so the same faces face the viewer. The fill passes send
// the face's normal (and its texture and corners' coordinates when
// textured); the edge pass only the corners.
void SendFacePolygons(const TMeshData& Mesh, TPass Pass, TFaceTextures* Textures) {
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

void SendFaces(const TZorvObject& Model, TPass Pass, TFaceTextures* Textures, bool Polygons) {
  const TMeshData& Mesh = Model.Mesh();
  if (Polygons) {
    SendFacePolygons(Mesh, Pass, Textures);
    return;
  }
  // The edge pass draws one colour: any order of the faces gives its pixels,
  // so it shares the arrays of the fill before it.
  const bool ByTexture = Pass == TPass::Textured || (Pass == TPass::Edges && KeptArrays().ByTexture &&
                                                     KeptArrays().MeshVersion == Model.MeshVersion());
  const TKeptArrays& Kept = ArraysFor(Model, ByTexture);
  if (Pass != TPass::Textured) {
    SendFaceRun(Mesh, Kept, 0, Kept.Order.size(), Pass != TPass::Edges);
    return;
  }
  bool Texturing = false;
  for (size_t Begin = 0, End; Begin < Kept.Order.size(); Begin = End) {
    const int32_t Texture = Mesh.Faces[size_t(Kept.Order[Begin])].Texture;
    for (End = Begin + 1; End < Kept.Order.size() && Mesh.Faces[size_t(Kept.Order[End])].Texture == Texture;) ++End;
    WearTexture(*Textures, Texture, Texturing);
    SendFaceRun(Mesh, Kept, Begin, End, true);
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
  SendFaces(Model, Textured ? TPass::Textured : TPass::Fill, Options.Textures, Options.Polygons);

  if (Options.Edges) {
    glDisable(GL_LIGHTING);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glDepthFunc(GL_LEQUAL);
    glColor3f(EdgeGrey, EdgeGrey, EdgeGrey);
    SendFaces(Model, TPass::Edges, nullptr, Options.Polygons);
  }
}

void DrawMarkersOverFaces(TZorvObject& Model, const std::function<void()>& DrawMarkers) {
  glPushMatrix();
  ApplyFitScale(Model);
  DrawMarkers();
  glPopMatrix();
}
