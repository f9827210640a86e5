#pragma once
// The seed corpora of the fuzzing harnesses, written by the project's own
// writer: the sample craft in both file shapes, small models and textures,
// a few edge files assembled byte by byte, number texts, and the glTF
// exports of the models beside a few glTF documents written by hand. The normal test
// suite replays the same seeds through the harnesses.
#include <string>

// The harnesses, by the part of their name after "fuzz_".
inline constexpr const char* FuzzHarnesses[] = {"iff_reader",  "model_load",  "mat_texture", "number_parser",
                                                "sphere_save", "model_check", "gltf_reader", "mesh_import"};

// One subfolder of Folder per harness, created when missing.
void WriteSeeds(const std::string& Folder);
