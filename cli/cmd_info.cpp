#include "cli/Commands.h"

void AddInfoCommand(CLI::App& App) { (void)App; }
