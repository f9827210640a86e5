#pragma once
// A model file with levels of detail made for it: the finest level read from
// a level-of-detail file as plain arrays, and a new file that is the source
// byte for byte except for its level forms after "0000" (replaced by the
// made levels, "0001", "0002", ...) and the sizes of the two forms around
// them (the level container and the top form). Hardpoints, the sphere and
// everything else the source holds stay as they are.
#include <string>
#include <vector>

#include "model/MeshData.h"
#include "model/ModelWriter.h"
#include "runtime/Exception.h"

// A file whose levels cannot be made or replaced: what it lacks.
QUELBIR_EXCEPTION(ELevelsFile);

// Level "0000" of ModelFile as the loader reads it (whole records only),
// read-only. The loader's errors pass unchanged; a single-mesh file, which
// has no level container to hold further levels, raises ELevelsFile.
TModelMesh ReadFinestLevel(const std::string& ModelFile);

// A loaded level's mesh as plain arrays, every record as the loader holds it.
TModelMesh PlainMesh(const TMeshData& Data);

// The bytes of SourceFile with Made as its levels "0001" onwards. Every
// level form of the container ("0000" to "9999" by its type) but the first
// "0000" goes; the made levels follow "0000" in their order, each as FORM
// level { FORM "MESH" { FORM of "0000"'s mesh type { the four chunks } } }.
// The source is only read; ELevelsFile says what stops it (no level
// container or no "0000" in it, a container that runs past the file's end,
// a file that would pass the format's 2 GiB).
std::vector<uint8_t> ModelFileWithLevels(const std::string& SourceFile, const std::vector<TModelMesh>& Made);

// That file written as Output, complete or not at all; Output must not be
// SourceFile by any name, checked before anything is read.
void WriteModelFileWithLevels(const std::string& SourceFile, const std::string& Output,
                              const std::vector<TModelMesh>& Made);
