#include "cli/Commands.h"

void AddSampleCommand(CLI::App& App) { (void)App; }
