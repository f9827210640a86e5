#pragma once
// What the window's FormPaint draws, without a toolkit: the views of the
// chosen layout, each with the collision sphere and the model. The window and
// the headless picture (ScenePicture.h) call the same code. Every call needs
// a current OpenGL context; making it current and swapping the buffers is the
// caller's part.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/ViewOptions.h"
#include "model/ShadedDrawing.h"
#include "model/THardpoint.h"

class THardpointNameLayer;
class TModelOutline;
class TZorvObject;
struct GLUquadric;

// The drawing's size in the editor's window as it first opens (a 544 x 375
// window less its frame): the default size of a headless picture.
constexpr int EditorClientWidth = 528;
constexpr int EditorClientHeight = 336;

// The items of cbView, by layout index.
constexpr int ViewLayoutCount = 4;
extern const char* const ViewLayoutNames[ViewLayoutCount];  // "3-Views", "Top View", "Side View", "Back View"
// The layout index of an item's text, or -1 when no item reads so.
int FindViewLayout(const std::string& Name);
// The short names a command line may give the layouts, by layout index:
// "3-views", "top", "side", "back".
extern const char* const ViewLayoutShortNames[ViewLayoutCount];
// The layout index of a name typed on a command line: an item's text or its
// short name, in any case ("top", "TOP", "top view"); -1 when none reads so.
int FindViewLayoutByName(const std::string& Name);

// edScaleChange: the box's whole number / 100 as a 32-bit float; a text that
// is not a whole number gives 1.0.
float ViewScaleFromText(const std::string& Text);

// Everything a repaint reads: the view's options as the window, a picture
// or a thumbnail carries them, and what they are applied to. In Solid and
// Textured the surfaces are drawn first in each view, then the sphere and
// the markers over them (the outlines become the surfaces' visible edges, in
// a darker line, when SurfaceEdges); with ShowNames each hardpoint's name
// goes beside its marker (HardpointNames.h).
struct TSceneState : TViewOptions {
  float SphereCenter[3] = {0, 0, 0};  // model units
  float SphereDiameter = 0;           // drawn as the sphere's radius
  TZorvObject* Model = nullptr;       // none: only the black background
  TFaceTextures* Textures = nullptr;  // Textured's textures; none: drawn as Solid
  bool SurfaceEdges = true;
  // Outlines drawn from their edge list (ModelOutline.h), the same pixels at
  // a fraction of the cost; none: the model's own Draw.
  TModelOutline* Outline = nullptr;
  // The Outline's lighter outline in place of the exact one, while the views
  // turn or zoom (LighterPicture.h); never in a picture at rest.
  bool Lighter = false;
  // The names' layout kept from one paint to the next; none: laid out anew.
  THardpointNameLayer* Names = nullptr;
  // The pointer over the drawing, in the viewport's pixels (x to the right, y
  // down); none while it is elsewhere. A name never hides the marker under it.
  std::optional<std::array<int, 2>> Pointer;
  // The hardpoints shown with the model, as markers (and names), in list
  // order, and the selected ones among them (indices, ascending), drawn
  // highlighted. Shown only with a model.
  THardpointsView Hardpoints;
  std::vector<int32_t> SelectedHardpoints;
  bool HardpointSelected(int32_t Index) const;
};

// State showing Model with the hardpoints it was loaded with, the first one
// selected, as a model file opens.
void ShowLoadedModel(TSceneState& State, TZorvObject& Model);

// One view of a layout: where its origin sits in the -1..1 square and the
// quarter turn that shows the model from its side.
struct TLayoutView {
  float X = 0, Y = 0;                                // glTranslatef (3-view layout only)
  float Angle = 0, AxisX = 0, AxisY = 0, AxisZ = 0;  // glRotatef; Angle 0 for none
  bool Translate = false;
};
// The views of a layout in drawing order (none for an unknown layout).
std::vector<TLayoutView> LayoutViews(int Layout);

// FormCreate's fixed state: outlines on both faces, depth test and back-face
// culling on, black clear colour.
void SetupFixedGLState();

// FormResize's projection: the viewport covers Width x Height (device pixels)
// and the fixed -1..1 orthographic volume is stretched over it; with
// KeepProportions the volume is widened along the longer side instead, so
// that one unit is as many pixels across as up.
void SetupProjection(int Width, int Height, bool KeepProportions = false);
// How much of the -1..1 square each screen axis shows per unit: 1 and 1 when
// stretched, else the shorter side over the longer for the longer one.
std::array<double, 2> ProportionSqueeze(int Width, int Height, bool KeepProportions);

// What each view draws once its place and quarter turn are set: the sphere,
// then the model (DrawSphere and DrawModel, or parts of them as the kept
// picture draws them).
struct TViewDrawing {
  std::function<void(GLUquadric* Quadric)> Sphere;
  std::function<void()> Model;
};

// FormPaint, less making the context current and the swap: a new quadric,
// the model-view matrix reset, the buffers cleared, each view of the layout
// drawn by Drawing (sphere first, then the model; in Solid and Textured the
// surfaces before both), the quadric deleted.
// Without a model only the background is cleared.
void PaintScene(const TSceneState& State, const TViewDrawing& Drawing);
// The same with the state's own sphere and model (DrawSphere, DrawModel),
// then, with ShowNames, the hardpoints' names over every view.
void PaintScene(const TSceneState& State);

// One view's sphere and axis cross, drawn through the same view angles and
// zoom as the model and then the model's fit Scale, so that sphere and model
// match at every zoom and every view rotation. Nothing is drawn while
// ShowSphere is not set, without a model, or while the model's Scale is not yet
// known (0).
void DrawSphere(const TSceneState& State, GLUquadric* Quadric);

// One view's model: view angles about x, y, z, white, the zoom, the model's
// Draw (through the state's Outline when it has one), then the state's
// hardpoint markers. In Solid and Textured only the markers, over the
// surfaces.
void DrawModel(const TSceneState& State);
// The state's hardpoint markers (DrawHardpointMarkers) on the current
// matrix, their axes a tenth of Length long.
void DrawStateMarkers(const TSceneState& State, float Length);
// DrawModel's matrix and colour around Draw in place of the model's Draw,
// for drawing the model in parts (KeptScene.h).
void DrawModelWith(const TSceneState& State, const std::function<void(TZorvObject& Model)>& Draw);

// One view's surfaces in Solid and Textured (DrawShadedFaces) under the same
// view angles and zoom as the model; nothing in Outlines or without a model.
void DrawSurfaces(const TSceneState& State);
