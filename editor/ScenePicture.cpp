#include "editor/ScenePicture.h"

#include <GL/gl.h>

#include <algorithm>
#include <memory>

#include "editor/Scene.h"
#include "gl/HeadlessContext.h"
#include "gl/PixelReadback.h"
#include "gl/PngPicture.h"
#include "model/EditorModel.h"
#include "model/ModelOutline.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"
#include "runtime/OutputFiles.h"

namespace {

// Pictures take the last context slot, so that one can be drawn while a
// window (slot 0) or a test's own context lives.
constexpr int PictureSlot = ContextSlotCount - 1;

}  // namespace

uint32_t TFramePixels::At(int X, int Y) const {
  const size_t I = (size_t(Y) * size_t(Width) + size_t(X)) * 4;
  return (uint32_t(Rgba[I]) << 16) | (uint32_t(Rgba[I + 1]) << 8) | uint32_t(Rgba[I + 2]);
}

TFramePixels GrabFrame(int Width, int Height) {
  TFramePixels Frame;
  Frame.Width = Width;
  Frame.Height = Height;
  glFinish();
  Frame.Rgba = ReadFramePixels(Width, Height);
  return Frame;
}

TFramePixels RenderModelFrame(const TPictureRequest& Request) {
  const int Width = Request.Width > 0 ? Request.Width : EditorClientWidth;
  const int Height = Request.Height > 0 ? Request.Height : EditorClientHeight;

  // As the window starts: the context, the fixed state, then the load.
  THeadlessGL Context(Width, Height, PictureSlot);
  SetupFixedGLState();

  TSceneState State;
  static_cast<TViewOptions&>(State) = Request;

  auto Model = std::make_unique<TZorvObject>();
  Model->OpenReadOnly = true;  // a picture only inspects the file
  SetUpEditorModel(*Model, Request.ModelFile, Request.Level);
  ShowLoadedModel(State, *Model);
  if (Request.Hardpoints) {
    State.Hardpoints = *Request.Hardpoints;
    State.SelectedHardpoints = Request.SelectedHardpoints;
    State.SelectedHardpoints.push_back(Request.SelectedHardpoint);
    std::sort(State.SelectedHardpoints.begin(), State.SelectedHardpoints.end());
  }
  // The sphere is read only when it is drawn, so a model without one still
  // gives its picture. Reading never needs write access here.
  if (Request.ShowSphere && Request.Sphere) {
    for (int I = 0; I < 3; ++I) State.SphereCenter[I] = (*Request.Sphere)[size_t(I)];
    State.SphereDiameter = (*Request.Sphere)[3];
  } else if (Request.ShowSphere) {
    bool TreePresent = false;
    ReadSphere(Request.ModelFile, State.SphereCenter, State.SphereDiameter, TreePresent, true);
  }

  Context.Activate();
  SetupProjection(Width, Height, Request.KeepProportions);
  // The window's first paint leaves the model's face state behind (for the
  // editor's outlines: no depth test, no culling), and every later paint
  // starts from it. The window shows its first frame for one tick only: a
  // picture shows what it shows from then on.
  Model->SetFaceState();
  // Its textures belong to this context too.
  TFaceTextures Textures(TexturesFolderFor(Request, Request.ModelFile));
  State.Textures = &Textures;
  TModelOutline Outline(TOutlineEdges::Every);  // drawn once
  State.Outline = &Outline;
  PaintScene(State);
  TFramePixels Frame = GrabFrame(Width, Height);
  if (Request.Notes) *Request.Notes << Textures.Note();
  Model.reset();  // its display list belongs to this context
  return Frame;
}

void RenderModelPicture(const TPictureRequest& Request, const std::string& PngFile) {
  // The output is checked before anything is painted: never the model file.
  TOutputFiles Files({PngFile}, Request.ModelFile);
  TFramePixels Frame = RenderModelFrame(Request);
  // The window shows no transparency: the cleared background has alpha 0,
  // and must come out black, not see-through.
  const std::vector<uint8_t> Png = EncodePng(Frame.Width, Frame.Height, 3, RgbaToRgb(Frame.Rgba));
  Files.Write(PngFile, Png.data(), Png.size());
  Files.Commit();
}

void CheckPictureFileName(const std::string& FileName) {
  const size_t Slash = FileName.find_last_of('/');
  const std::string Name = Slash == std::string::npos ? FileName : FileName.substr(Slash + 1);
  std::string Tail = Name.size() >= 4 ? Name.substr(Name.size() - 4) : std::string();
  for (char& C : Tail)
    if (C >= 'A' && C <= 'Z') C = char(C - 'A' + 'a');
  if (Tail != ".png" || Name.size() == 4)
    throw EPictureName("A picture is saved as PNG: its name must end in .png (" + Name + ")");
}
