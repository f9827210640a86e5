#pragma once
// The editor's outlines drawn at the renderer's pace: the faces' edges from
// vertex arrays in one glDrawElements(GL_LINES) pass, each once per
// direction, instead of one polygon per face in outline mode, which pays
// immediate mode's price per corner and draws an edge again for every face
// that shares it. It lights the very pixels the polygons light: a face
// outlines its corners in the order its polygon receives them, and only an
// edge already drawn between the same two places in the same direction is
// left out. (An edge drawn the other way is kept: a line's end pixels depend
// on its direction, so one direction alone can miss a pixel the polygons
// light.) Plain OpenGL 1.1; the edge list is built once per mesh
// (MeshVersion).
#include <cstdint>
#include <vector>

#include "model/MeshData.h"

class TZorvObject;

// The edges the outlines of Mesh's faces draw, as pairs of vertex indices
// (from, to), in the order the faces are drawn (last face first, each face's
// corners last to first, the closing edge last). Faces the drawing skips
// (FaceIsUsable) and faces of fewer than three corners, which a polygon does
// not outline, give none. Vertices at the same place (the same bits) count
// as one, so an edge two faces draw the same way is listed once, whichever
// of its vertices each face names. The work is
// bounded by the corners the faces name, which the load bounds by the file.
std::vector<uint32_t> OutlineEdges(const TMeshData& Mesh);

// Every edge the outlines of Mesh's faces draw, in the same order, an edge
// drawn twice the same way kept twice: the same pixels as OutlineEdges (an
// outline is one colour, drawn without depth test), listed in one pass
// where OutlineEdges looks every edge up among those met before.
std::vector<uint32_t> EveryOutlineEdge(const TMeshData& Mesh);

// Which edge list an outline draws: the window repaints the same list many
// times, a picture once.
enum class TOutlineEdges {
  OncePerDirection,  // OutlineEdges: built once at a price, drawn at the least
  Every,             // EveryOutlineEdge: built at once, drawn once
};

// The lighter outline drawn while the views turn or zoom: at most Budget of
// Edges (an OutlineEdges list of Mesh), each edge of the surface once: first
// the border (an edge the faces draw one way round only), then the longest
// of the others, equal lengths spread evenly over the mesh. The chosen edges
// keep their order in Edges. Edges itself when it holds no more than Budget.
std::vector<uint32_t> LighterEdges(const TMeshData& Mesh, const std::vector<uint32_t>& Edges, size_t Budget);

// Edges a lighter outline keeps: some 8 ms of lines on the software
// renderer in each of three views.
constexpr size_t LighterEdgeBudget = 30000;

class TModelOutline {
public:
  explicit TModelOutline(TOutlineEdges Edges = TOutlineEdges::OncePerDirection) : FEdges(Edges) {}
  // Model as its Draw draws it in the editor's set-up (outlines, untextured,
  // no display list, mesh kept): face state, fit scale, the edges. A model
  // in any other set-up is drawn by its Draw. Either way the model-view
  // matrix is left as the markers are drawn under (the fit scale applied).
  void Draw(TZorvObject& Model, bool Lighter = false);
  // Draw in the editor's set-up alone: face state, fit scale and edges. The
  // model-view matrix is left as the markers are drawn under (the fit scale
  // applied); the caller brackets it. Falls back to nothing for a model not
  // in the editor's set-up: check Applies first.
  // Lighter draws the LighterEdges of the outline instead.
  void DrawMesh(TZorvObject& Model, bool Lighter = false);
  // True when the model is drawn through the outline and its lighter
  // outline leaves edges out.
  bool HasLighter(const TZorvObject& Model);
  // The editor's set-up, with the mesh in memory.
  static bool Applies(const TZorvObject& Model);
  // Edges listed for the mesh last drawn.
  size_t EdgeCount() const { return FIndices.size() / 2; }

private:
  void Build(const TZorvObject& Model);

  TOutlineEdges FEdges;
  uint64_t FMeshVersion = 0;  // 0: nothing built
  std::vector<uint32_t> FIndices;
  std::vector<uint32_t> FLighter;  // built at the first lighter drawing
  bool FLighterBuilt = false;
};
