#include "cli/Commands.h"

void AddSphereCommand(CLI::App& App) { (void)App; }
