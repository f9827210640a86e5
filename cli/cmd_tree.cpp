#include "cli/Commands.h"

void AddTreeCommand(CLI::App& App) { (void)App; }
