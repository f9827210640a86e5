#pragma once
#include <string>

// Whether two names of model files name the same file on disk, however they
// are spelled (relative or absolute, through links); names that cannot be
// looked up are compared as they are written.
bool SameModelFile(const std::string& A, const std::string& B);
