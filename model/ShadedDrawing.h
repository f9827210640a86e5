#pragma once
// The model as it will look: its faces filled, lit by one light from the
// viewer and flat per face ("Solid"), or also covered with each face's
// material texture ("Textured"). The editor's outline drawing stays as it
// is; this draws the surfaces under it, depth-tested with back faces culled,
// with the visible edges in a darker line when asked.
//
// Textures are looked up by their eight-digit number in one folder and kept
// for the life of a TFaceTextures, in the context current when they were
// loaded. A texture that is missing or that the texture reader refuses is
// drawn in a neutral grey and never stops the drawing; what went wrong is
// gathered into one note.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "model/ZorvTextures.h"

class TZorvObject;

enum class TShading { Outlines, Solid, Textured };

constexpr int ShadingCount = 3;
// The display modes by index, as the menu shows them.
extern const char* const ShadingNames[ShadingCount];  // "Outlines", "Solid", "Textured"
// As the command line spells them.
extern const char* const ShadingOptionNames[ShadingCount];  // "outlines", "solid", "textured"
// The mode a menu or command-line name (either spelling) stands for.
std::optional<TShading> FindShading(const std::string& Name);

// The colours of the shaded modes, as a face facing the viewer shows them.
constexpr float SolidGrey = 0.8f;    // a Solid face, and a face without texture
constexpr float MissingGrey = 0.5f;  // a face whose texture is missing or refused
constexpr float EdgeGrey = 0.2f;     // the darker outlines over the surfaces
// The share of a face's colour it keeps when it faces away from the light.
constexpr float AmbientShare = 0.3f;

class TFaceTextures {
public:
  // Textures are looked for in Folder (empty: the current folder).
  explicit TFaceTextures(const std::string& Folder);
  TFaceTextures(const TFaceTextures&) = delete;
  TFaceTextures& operator=(const TFaceTextures&) = delete;

  enum class TBinding { Bound, NoTexture, Unavailable };
  // Binds the texture Number on GL_TEXTURE_2D, loading it at the first
  // request (a context must be current). NoTexture for the numbers that mean
  // none; Unavailable, remembered so it is tried once only, for a file that
  // is missing or refused.
  TBinding Bind(int32_t Number);

  // What could not be drawn, one line each: the missing numbers together
  // ("Textures not found in DIR, drawn in grey: 00000003, 00000007"), then
  // each refused file's message from the texture reader, the file's name
  // put in front of a message that does not name it (most of the IFF
  // reader's). Empty when every texture asked for was drawn.
  std::string Note() const;

  const std::string& Folder() const { return FFolder; }

private:
  TBinding Refuse(int32_t Number, const TZorvTexture& Texture);

  std::string FFolder;
  TZorvTextures FList;
  std::set<int32_t> FMissing;
  std::map<int32_t, std::string> FRefused;
};

// The folder a model's textures are looked for in when none is chosen: the
// model file's own.
std::string ModelFolder(const std::string& ModelFile);

// True when the model's faces name at least one texture and Folder holds a
// file for every one of them.
bool FolderHoldsTextures(const TZorvObject& Model, const std::string& Folder);

struct TShadedOptions {
  TShading Shading = TShading::Solid;
  TFaceTextures* Textures = nullptr;  // Textured without them draws as Solid
  bool Edges = true;                  // the visible edges in EdgeGrey over the faces
  // Each face sent as one polygon, corner by corner, instead of from vertex
  // arrays: the same pixels at several calls per corner; the yardstick the
  // arrays are measured and checked against.
  bool Polygons = false;
};

// The surfaces of the model in memory at its fit scale, on the current
// matrix (Outlines draws nothing). The depth buffer is cleared first, so a
// view drawn earlier never hides this one. Leaves behind the face state of
// the model's own drawing (T3DObject::SetFaceState), so that the sphere and
// the outlines or markers drawn next look as they do over outlines; the
// matrix and every other state are as they were.
void DrawShadedFaces(TZorvObject& Model, const TShadedOptions& Options);

// The hardpoint markers alone (DrawMarkers) at the model's fit scale, on the
// current matrix, as they are drawn after the faces: drawn over the
// surfaces instead of the faces' outlines.
void DrawMarkersOverFaces(TZorvObject& Model, const std::function<void()>& DrawMarkers);
