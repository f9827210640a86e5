#include "editor/ModelThumbnail.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "editor/Scene.h"
#include "gl/HeadlessContext.h"
#include "gl/PixelReadback.h"
#include "gl/PngPicture.h"
#include "model/EditorModel.h"
#include "model/ModelOutline.h"
#include "model/TZorvObject.h"
#include "runtime/FileLayer.h"
#include "runtime/OutputFiles.h"

namespace {

// Pictures take the last context slot (as ScenePicture does), so a window's
// slot 0 stays untouched.
constexpr int ThumbnailSlot = ContextSlotCount - 1;

// Room left around the model, as a share of its larger extent.
constexpr double Margin = 0.04;

// A model point as the single views put it on the screen: across, up, and
// the depth the viewer looks along.
struct TScreenPoint {
  double X, Y, Depth;
};
TScreenPoint OnScreen(int Layout, const TVector& P) {
  switch (Layout) {
    case 1: return {P.X, -double(P.Z), P.Y};  // top: 90 degrees about x
    case 2: return {P.Z, P.Y, -double(P.X)};  // side: 90 degrees about y
    default: return {P.X, P.Y, P.Z};          // back: unturned
  }
}

void CheckRequest(const TThumbnailRequest& Request) {
  if (Request.Width < 1 || Request.Width > MaxThumbnailSize)
    throw EThumbnail("Thumbnail: the size " + std::to_string(Request.Width) + " lies outside 1.." +
                     std::to_string(MaxThumbnailSize));
  if (Request.Layout < 1 || Request.Layout >= ViewLayoutCount)
    throw EThumbnail("Thumbnail: a thumbnail shows one view, not layout " + std::to_string(Request.Layout));
}

}  // namespace

TThumbnailFrame MeasureThumbnailFrame(const TZorvObject& Model, int Layout) {
  const TMeshData& Mesh = Model.Mesh();
  const double Scale = Model.Scale();
  double MinX = INFINITY, MaxX = -INFINITY, MinY = INFINITY, MaxY = -INFINITY, Deepest = 0;
  for (int32_t F = 0; F < Mesh.FaceCount; ++F) {
    const TFace& Face = Mesh.Faces[size_t(F)];
    if (!FaceIsUsable(Mesh, Face)) continue;
    for (int32_t I = Face.First; I < Face.First + Face.Count; ++I) {
      const TScreenPoint P = OnScreen(Layout, Mesh.Vertices[size_t(Mesh.FaceVertices[size_t(I)].Vertex)]);
      const double X = P.X * Scale, Y = P.Y * Scale, Depth = std::fabs(P.Depth * Scale);
      // A point the drawing cannot place would spoil the frame of all others.
      if (!std::isfinite(X) || !std::isfinite(Y) || !std::isfinite(Depth)) continue;
      MinX = std::min(MinX, X);
      MaxX = std::max(MaxX, X);
      MinY = std::min(MinY, Y);
      MaxY = std::max(MaxY, Y);
      Deepest = std::max(Deepest, Depth);
    }
  }
  TThumbnailFrame Frame;
  if (MinX > MaxX) return Frame;  // nothing drawable
  Frame.CenterX = (MinX + MaxX) / 2;
  Frame.CenterY = (MinY + MaxY) / 2;
  const double Extent = std::max(MaxX - MinX, MaxY - MinY);
  Frame.HalfSide = Extent > 0 ? Extent * (0.5 + Margin) : 1;
  // The hardpoints' axes may stand out of the mesh a little; a deeper volume
  // costs nothing: outlines are drawn without the depth test, and the
  // surfaces' depth test only compares them among themselves.
  Frame.Depth = 2 * Deepest + 1;
  return Frame;
}

TShading ThumbnailShading(const TThumbnailRequest& Request, const TZorvObject& Model, const std::string& Folder) {
  if (Request.ShadingChosen) return Request.Shading;
  return FolderHoldsTextures(Model, Folder) ? TShading::Textured : TShading::Solid;
}

TFramePixels RenderModelThumbnail(const TThumbnailRequest& Request) {
  CheckRequest(Request);
  auto Model = std::make_unique<TZorvObject>(TDisplayListPolicy::None);
  Model->OpenReadOnly = true;  // a thumbnail only inspects the file
  SetUpEditorModel(*Model, Request.ModelFile, Request.Level);
  // A fit the set-up could not measure would be raised by the drawing; a
  // thumbnail raises it here, before any OpenGL, as it needs the fit anyway.
  if (Model->Scale() == 0) Model->UpdateFitScale(EditorFitSize);
  const TThumbnailFrame Frame = MeasureThumbnailFrame(*Model, Request.Layout);

  const int Size = Request.Width;
  THeadlessGL Context(Size, Size, ThumbnailSlot);
  SetupFixedGLState();
  // The window's projection, moved and narrowed onto the model's square.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glViewport(0, 0, Size, Size);
  glOrtho(Frame.CenterX - Frame.HalfSide, Frame.CenterX + Frame.HalfSide, Frame.CenterY - Frame.HalfSide,
          Frame.CenterY + Frame.HalfSide, -Frame.Depth, Frame.Depth);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  const std::string Folder = TexturesFolderFor(Request, Request.ModelFile);
  TFaceTextures Textures(Folder);  // belongs to this context
  TSceneState State;
  State.Layout = Request.Layout;
  ShowLoadedModel(State, *Model);
  State.Shading = ThumbnailShading(Request, *Model, Folder);
  State.Textures = &Textures;
  TModelOutline Outline(TOutlineEdges::Every);  // drawn once
  State.Outline = &Outline;
  PaintScene(State);
  TFramePixels Pixels = GrabFrame(Size, Size);
  if (Request.Notes) *Request.Notes << Textures.Note();
  return Pixels;
}

void WriteModelThumbnail(const TThumbnailRequest& Request, const std::string& PngFile) {
  // The output is checked before anything is painted: never the model file,
  // never a folder, pipe or device.
  CheckNotModelFile(PngFile, Request.ModelFile);
  RequireRegularFile(PngFile, TFileMode::OpenOrCreate);
  const TFramePixels Frame = RenderModelThumbnail(Request);
  const std::vector<uint8_t> Png = EncodePng(Frame.Width, Frame.Height, 3, RgbaToRgb(Frame.Rgba));
  // Into the named file itself: a thumbnail service creates it, runs this
  // command and reads the picture through the descriptor it opened before,
  // so a new file renamed over the name would never reach it.
  WriteFileInPlace(PngFile, Png.data(), Png.size(), Request.ModelFile);
}
