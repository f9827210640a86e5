#include "cli/Commands.h"

void AddScriptCommand(CLI::App& App) { (void)App; }
