// quelbir-cli info FILE [--lod N] [--json]: loads FILE as the editor does
// (level of detail 1 unless --lod says otherwise, mesh kept in memory) and
// summarises it: the file shape, the levels present and the one loaded, the
// four record counts, the bounds and every hardpoint's name and matrix. It
// needs no display and no OpenGL: the model takes no display list and is
// never drawn.
//
// Numbers are the stored 32-bit floats in their shortest text that reads
// back to the same float (the project's one number text, which the JSON
// library's own float text is not: it writes 0 as 0.0); in JSON a value
// that is not finite (which no JSON number can hold) is written as null.
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "model/EditorModel.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"
#include "runtime/FileLayer.h"
#include "runtime/Latin1Text.h"
#include "runtime/NumberFormat.h"

namespace {

// A JSON string, escaped by the JSON library: valid UTF-8 passes through;
// any other byte is read as the 8-bit character of the same code (U+0080 to
// U+00FF), as hardpoint names are 8-bit text.
std::string JsonString(const std::string& Text) {
  return nlohmann::json(Latin1ToUtf8(Text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonNumber(float Value) {
  if (Value != Value || Value - Value != 0) return "null";  // NaN or infinite
  return FloatToRoundTrip(Value);
}

std::string JsonVector(const TVector& V) {
  return "[" + JsonNumber(V.X) + ", " + JsonNumber(V.Y) + ", " + JsonNumber(V.Z) + "]";
}

std::string TextVector(const TVector& V) {
  return FloatToRoundTrip(V.X) + " " + FloatToRoundTrip(V.Y) + " " + FloatToRoundTrip(V.Z);
}

// The loader names the levels it finds and the one it loads; a single-mesh
// file names none.
bool IsLevelOfDetailFile(const TModelLevels& Levels) { return !Levels.Loaded.empty(); }

std::pair<TVector, TVector> Bounds(const TZorvObject& Model) {
  TVector Min, Max;
  Model.GetBounds(Min, Max);
  return {Min, Max};
}

std::string JsonSummary(const std::string& File, const TZorvObject& Model) {
  const TMeshData& Mesh = Model.Mesh();
  const TModelLevels& Levels = Model.Levels();
  const bool LodFile = IsLevelOfDetailFile(Levels);
  const auto [Min, Max] = Bounds(Model);
  std::ostringstream Out;
  Out << "{\n";
  Out << "  \"file\": " << JsonString(File) << ",\n";
  Out << "  \"shape\": " << (LodFile ? "\"lod\"" : "\"single\"") << ",\n";
  Out << "  \"lods\": [";
  for (size_t I = 0; I < Levels.Tags.size(); ++I) Out << (I ? ", " : "") << JsonString(Levels.Tags[I]);
  Out << "],\n";
  Out << "  \"lod\": " << (LodFile ? JsonString(Levels.Loaded) : "null") << ",\n";
  Out << "  \"vertices\": " << Mesh.VertexCount << ",\n";
  Out << "  \"normals\": " << Mesh.NormalCount << ",\n";
  Out << "  \"face_vertices\": " << Mesh.FaceVertexCount << ",\n";
  Out << "  \"faces\": " << Mesh.FaceCount << ",\n";
  Out << "  \"bounds\": {\"min\": " << JsonVector(Min) << ", \"max\": " << JsonVector(Max) << "},\n";
  Out << "  \"hardpoints\": [";
  bool First = true;
  for (int32_t I = 0; I < Model.HardpointCount(); ++I) {
    const THardpoint* Hardpoint = Model.GetHardpoint(I);
    if (!Hardpoint) continue;
    Out << (First ? "\n" : ",\n") << "    {\"name\": " << JsonString(Hardpoint->Name) << ", \"matrix\": [";
    for (size_t E = 0; E < 16; ++E) Out << (E ? ", " : "") << JsonNumber(Hardpoint->Matrix[E]);
    Out << "]}";
    First = false;
  }
  Out << (First ? "],\n" : "\n  ],\n");
  // The collision sphere as the editor's panel reads it; when it cannot be
  // read, the reader's message, and neither values nor tree.
  float Center[3] = {0, 0, 0};
  float Diameter = 0;
  bool TreePresent = false;
  std::string SphereError;
  try {
    ReadSphere(File, Center, Diameter, TreePresent, /*ReadOnly=*/true);
  } catch (const Exception& E) {
    SphereError = E.Message();
  }
  if (SphereError.empty())
    Out << "  \"sphere\": {\"center\": " << JsonVector({Center[0], Center[1], Center[2]})
        << ", \"diameter\": " << JsonNumber(Diameter) << "},\n"
        << "  \"sphere_error\": null,\n"
        << "  \"tree_present\": " << (TreePresent ? "true" : "false") << "\n";
  else
    Out << "  \"sphere\": null,\n"
        << "  \"sphere_error\": " << JsonString(SphereError) << ",\n"
        << "  \"tree_present\": null\n";
  Out << "}\n";
  return Out.str();
}

std::string TextSummary(const std::string& File, const TZorvObject& Model) {
  const TMeshData& Mesh = Model.Mesh();
  const TModelLevels& Levels = Model.Levels();
  const bool LodFile = IsLevelOfDetailFile(Levels);
  const auto [Min, Max] = Bounds(Model);
  std::ostringstream Out;
  Out << "file: " << File << "\n";
  Out << "shape: " << (LodFile ? "level of detail" : "single mesh") << "\n";
  if (LodFile) {
    Out << "levels:";
    for (const std::string& Lod : Levels.Tags) Out << " " << Lod;
    Out << "\nloaded level: " << Levels.Loaded << "\n";
  }
  Out << "vertices: " << Mesh.VertexCount << "\n";
  Out << "normals: " << Mesh.NormalCount << "\n";
  Out << "face vertices: " << Mesh.FaceVertexCount << "\n";
  Out << "faces: " << Mesh.FaceCount << "\n";
  Out << "bounds min: " << TextVector(Min) << "\n";
  Out << "bounds max: " << TextVector(Max) << "\n";
  Out << "hardpoints: " << Model.HardpointCount() << "\n";
  for (int32_t I = 0; I < Model.HardpointCount(); ++I) {
    const THardpoint* Hardpoint = Model.GetHardpoint(I);
    if (!Hardpoint) continue;
    Out << "  " << Hardpoint->Name << ":";
    for (float Element : Hardpoint->Matrix) Out << " " << FloatToRoundTrip(Element);
    Out << "\n";
  }
  return Out.str();
}

}  // namespace

void AddInfoCommand(CLI::App& App) {
  struct TOptions {
    std::string File;
    int LOD = 1;
    bool Json = false;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand("info", "Summarise a model file as the editor loads it");
  Cmd->add_option("FILE", Options->File, "model file (.iff)")->required();
  Cmd->add_option("--lod", Options->LOD, "level of detail to load (1)")->check(LevelNumber());
  Cmd->add_flag("--json", Options->Json, "print one JSON object");
  Cmd->callback(NamingModelFile(Options->File, [Options] {
    TZorvObject Model(TDisplayListPolicy::None);
    Model.OpenReadOnly = true;  // inspecting only: read-only files work too
    SetUpEditorModel(Model, Options->File, Options->LOD);
    const std::string Text = Options->Json ? JsonSummary(Options->File, Model) : TextSummary(Options->File, Model);
    std::cout << Text;
    if (!std::cout.flush()) throw EInOutError("Cannot write the summary to standard output");
  }));
}
