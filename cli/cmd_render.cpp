#include "cli/Commands.h"

void AddRenderCommand(CLI::App& App) { (void)App; }
