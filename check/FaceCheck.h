#pragma once
// One level's faces: indices outside their arrays, degenerate faces, the
// faces the work bound leaves untested, and the used vertices outside the
// collision sphere.
#include <optional>
#include <string>

#include "check/FileFindings.h"
#include "check/MeshCheck.h"
#include "check/SphereCheck.h"

// The faces of Mesh, the mesh the loader read whole for the level Level, its
// chunks at Places; Sphere is the collision sphere, when it was read.
void CheckFaces(const TMeshData& Mesh, const std::optional<std::string>& Level, const TMeshPlaces& Places,
                const std::optional<TDrawnSphere>& Sphere, TFindings& Findings);
