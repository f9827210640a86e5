#pragma once
// Each subcommand of quelbir-cli lives in its own file and registers itself
// on the application here. A subcommand's callback raises Exception on
// failure; main prints the message alone and exits 1.
#include <CLI/CLI.hpp>

void AddTreeCommand(CLI::App& App);    // cmd_tree.cpp
void AddSampleCommand(CLI::App& App);  // cmd_sample.cpp
void AddInfoCommand(CLI::App& App);    // cmd_info.cpp
void AddSphereCommand(CLI::App& App);  // cmd_sphere.cpp
void AddScriptCommand(CLI::App& App);  // cmd_script.cpp
void AddRenderCommand(CLI::App& App);  // cmd_render.cpp
void AddThumbnailCommand(CLI::App& App);  // cmd_thumbnail.cpp
void AddCheckCommand(CLI::App& App);   // cmd_check.cpp
void AddExportCommand(CLI::App& App);  // cmd_export.cpp
