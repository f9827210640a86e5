#include "editor/Scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "editor/HardpointNames.h"
#include "model/ModelOutline.h"
#include "model/TZorvObject.h"
#include "runtime/NumberFormat.h"

const char* const ViewLayoutNames[ViewLayoutCount] = {"3-Views", "Top View", "Side View", "Back View"};

int FindViewLayout(const std::string& Name) {
  for (int I = 0; I < ViewLayoutCount; ++I)
    if (Name == ViewLayoutNames[I]) return I;
  return -1;
}

const char* const ViewLayoutShortNames[ViewLayoutCount] = {"3-views", "top", "side", "back"};

int FindViewLayoutByName(const std::string& Name) {
  auto Same = [&Name](const char* Known) {
    const std::string_view Text(Known);
    if (Text.size() != Name.size()) return false;
    for (size_t I = 0; I < Text.size(); ++I) {
      const auto Lower = [](char C) { return C >= 'A' && C <= 'Z' ? char(C - 'A' + 'a') : C; };
      if (Lower(Text[I]) != Lower(Name[I])) return false;
    }
    return true;
  };
  for (int I = 0; I < ViewLayoutCount; ++I)
    if (Same(ViewLayoutNames[I]) || Same(ViewLayoutShortNames[I])) return I;
  return -1;
}

float ViewScaleFromText(const std::string& Text) {
  int Percent = 0;
  if (!TryStrToInt(Text, Percent)) Percent = 100;
  return static_cast<float>(Percent / 100.0);
}

namespace {

constexpr TLayoutView ThreeViews[3] = {
    {0.5f, -0.5f, 0, 0, 0, 0, true},   // lower right: back, (x, y)
    {0.5f, 0.5f, 90, 1, 0, 0, true},   // upper right: top, (x, -z)
    {-0.5f, -0.5f, 90, 0, 1, 0, true}  // lower left: side, (z, y)
};
constexpr TLayoutView TopView = {0, 0, 90, 1, 0, 0, false};
constexpr TLayoutView SideView = {0, 0, 90, 0, 1, 0, false};
constexpr TLayoutView BackView = {0, 0, 0, 0, 0, 0, false};

void DrawView(const TSceneState& State, const TViewDrawing& Drawing, GLUquadric* Quadric, const TLayoutView& View) {
  glPushMatrix();
  if (View.Translate) glTranslatef(View.X, View.Y, 0);
  if (View.Angle != 0) glRotatef(View.Angle, View.AxisX, View.AxisY, View.AxisZ);
  DrawSurfaces(State);
  Drawing.Sphere(Quadric);
  Drawing.Model();
  glPopMatrix();
}

// The view angles, about x, then y, then z, about the model's origin.
void RotateByViewAngles(const TSceneState& State) {
  glRotatef(State.Angles[0], 1, 0, 0);
  glRotatef(State.Angles[1], 0, 1, 0);
  glRotatef(State.Angles[2], 0, 0, 1);
}

}  // namespace

std::vector<TLayoutView> LayoutViews(int Layout) {
  switch (Layout) {
    case 0: return {ThreeViews[0], ThreeViews[1], ThreeViews[2]};
    case 1: return {TopView};
    case 2: return {SideView};
    case 3: return {BackView};
    default: return {};
  }
}

void SetupFixedGLState() {
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glClearColor(0, 0, 0, 0);
  glCullFace(GL_BACK);
}

std::array<double, 2> ProportionSqueeze(int Width, int Height, bool KeepProportions) {
  if (!KeepProportions || Width <= 0 || Height <= 0) return {1, 1};
  if (Width >= Height) return {double(Height) / Width, 1};
  return {1, double(Width) / Height};
}

void SetupProjection(int Width, int Height, bool KeepProportions) {
  const std::array<double, 2> Squeeze = ProportionSqueeze(Width, Height, KeepProportions);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glViewport(0, 0, Width, Height);
  glOrtho(-1 / Squeeze[0], 1 / Squeeze[0], -1 / Squeeze[1], 1 / Squeeze[1], -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void PaintScene(const TSceneState& State, const TViewDrawing& Drawing) {
  GLUquadric* Quadric = gluNewQuadric();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (State.Model != nullptr) {
    // The quadric is deleted however the views end: a load the drawing
    // triggers may raise.
    try {
      for (const TLayoutView& View : LayoutViews(State.Layout)) DrawView(State, Drawing, Quadric, View);
    } catch (...) {
      gluDeleteQuadric(Quadric);
      throw;
    }
  }
  gluDeleteQuadric(Quadric);
}

void PaintScene(const TSceneState& State) {
  PaintScene(State, {[&State](GLUquadric* Quadric) { DrawSphere(State, Quadric); }, [&State] { DrawModel(State); }});
  DrawHardpointNames(State, State.Names);
}

void DrawSphere(const TSceneState& State, GLUquadric* Quadric) {
  if (!State.ShowSphere || State.Model == nullptr) return;
  const float S = State.Model->Scale();
  // Before the model's fit is known the sphere would collapse to a point and
  // its cross would have no length.
  if (S == 0 || !std::isfinite(S)) return;

  glPushMatrix();
  // The same road as the model's vertices: view angles about the model's
  // origin, the zoom, the fit scale; only then the sphere's own centre.
  RotateByViewAngles(State);
  glScaled(State.Scale, State.Scale, State.Scale);
  glScaled(S, S, S);
  glTranslatef(State.SphereCenter[0], State.SphereCenter[1], State.SphereCenter[2]);

  glColor3f(0.3f, 0.3f, 0.4f);
  gluSphere(Quadric, State.SphereDiameter, 32, 20);

  // Each arm reaches 0.4 x zoom on the screen: as long as the fitted model's
  // largest extent.
  const float Arm = 0.4f / S;
  glColor3f(0.5f, 0.5f, 0.75f);
  glBegin(GL_LINES);
  glVertex3f(-Arm, 0, 0);
  glVertex3f(Arm, 0, 0);
  glVertex3f(0, -Arm, 0);
  glVertex3f(0, Arm, 0);
  glVertex3f(0, 0, -Arm);
  glVertex3f(0, 0, Arm);
  glEnd();
  glPopMatrix();
}

bool TSceneState::HardpointSelected(int32_t Index) const {
  return std::binary_search(SelectedHardpoints.begin(), SelectedHardpoints.end(), Index);
}

void ShowLoadedModel(TSceneState& State, TZorvObject& Model) {
  State.Model = &Model;
  State.Hardpoints = Model.Hardpoints();
  State.SelectedHardpoints = {0};
}

void DrawStateMarkers(const TSceneState& State, float Length) {
  DrawHardpointMarkers(State.Hardpoints, State.SelectedHardpoints, Length);
}

void DrawModel(const TSceneState& State) {
  DrawModelWith(State, [&State](TZorvObject& Model) {
    // The markers' length is measured once the faces have brought the mesh
    // in, as it is drawn in the editor's set-up (mesh kept).
    const auto Markers = [&State, &Model] {
      float Length = 0;
      Model.GetMaxSize(Length);
      DrawStateMarkers(State, Length);
    };
    if (State.Shading != TShading::Outlines) {
      DrawMarkersOverFaces(Model, Markers);
      return;
    }
    if (State.Outline != nullptr)
      State.Outline->Draw(Model, State.Lighter);
    else
      Model.Draw();
    Markers();
  });
}

void DrawModelWith(const TSceneState& State, const std::function<void(TZorvObject& Model)>& Draw) {
  if (State.Model == nullptr) return;
  glPushMatrix();
  RotateByViewAngles(State);
  glColor3f(1, 1, 1);
  glScaled(State.Scale, State.Scale, State.Scale);
  Draw(*State.Model);
  glPopMatrix();
}

void DrawSurfaces(const TSceneState& State) {
  if (State.Model == nullptr || State.Shading == TShading::Outlines) return;
  glPushMatrix();
  RotateByViewAngles(State);
  glScaled(State.Scale, State.Scale, State.Scale);
  try {
    DrawShadedFaces(*State.Model, {State.Shading, State.Textures, State.SurfaceEdges});
  } catch (...) {
    glPopMatrix();
    throw;
  }
  glPopMatrix();
}
