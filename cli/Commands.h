#pragma once
// Each subcommand of quelbir-cli lives in its own file and registers itself
// on the application here. A subcommand's callback raises Exception on
// failure; main prints the message alone and exits 1. Two other ways out:
// CLI11's usage errors exit 2 (script raises one itself when neither FILE
// nor --from-gltf is given), and a command that has written its own outcome
// raises CLI::RuntimeError carrying the exit status (check: 1 when a file
// has an error).
#include <CLI/CLI.hpp>

#include <climits>
#include <functional>
#include <string>

void AddTreeCommand(CLI::App& App);       // cmd_tree.cpp
void AddSampleCommand(CLI::App& App);     // cmd_sample.cpp
void AddInfoCommand(CLI::App& App);       // cmd_info.cpp
void AddSphereCommand(CLI::App& App);     // cmd_sphere.cpp
void AddScriptCommand(CLI::App& App);     // cmd_script.cpp
void AddRenderCommand(CLI::App& App);     // cmd_render.cpp
void AddThumbnailCommand(CLI::App& App);  // cmd_thumbnail.cpp
void AddCheckCommand(CLI::App& App);      // cmd_check.cpp
void AddExportCommand(CLI::App& App);     // cmd_export.cpp
void AddApplyCommand(CLI::App& App);      // cmd_apply.cpp
void AddImportCommand(CLI::App& App);     // cmd_import.cpp
void AddLevelsCommand(CLI::App& App);     // cmd_levels.cpp
void AddTextureCommand(CLI::App& App);    // cmd_texture.cpp

// A subcommand's work on the model file File (read when the work runs): a
// floating-point fault met while measuring or drawing the model says nothing
// of which file it came from, so its message gets the file's name in front
// ("m.iff: Floating point overflow"). Every other message, the reader's and
// the loader's included, passes unchanged.
std::function<void()> NamingModelFile(const std::string& File, std::function<void()> Work);

// Whole-number options (NumberOptions.cpp). Text that is no whole number says
// so ("'1e3' is not a valid integer value"), a number outside Min..Max
// "Value N not in range Min to Max"; CLI11 puts the option's name in front.
CLI::Validator WholeNumber(int Min = INT_MIN, int Max = INT_MAX);
// --lod: levels count from 0 ("-1 is not a level of detail: levels count
// from 0"); a number past the last level is the last, as the loader takes it.
CLI::Validator LevelNumber();
// --ratio: a plain decimal number strictly between 0 and 1 ("Value 1 is not
// between 0 and 1").
CLI::Validator RatioNumber();

// The display-mode options of render and thumbnail: --shading, one of
// "outlines", "solid", "textured" (Default tells what an absent option
// means), and --textures DIR, the folder of the ".mat" files (the model's own
// folder when absent). Defined with render, in cmd_render.cpp.
void AddShadingOptions(CLI::App& Cmd, std::string& Shading, std::string& TexturesDir, const std::string& Default);

// --view: a layout by its caption or short name in any case (editor/Scene's
// FindViewLayoutByName), from layout First on (1: the single views only);
// another name says which are taken ("'front' is not a view; use top, side,
// back or 3-views"). Defined with render, in cmd_render.cpp.
CLI::Validator ViewName(int First);
