#pragma once
// The model files a check covers: each path a file (taken as it is) or a
// folder, walked recursively for names ending in ".iff" in any case.
// Symbolic links to folders met inside a folder are not followed, so a walk
// never loops; links to files are examined like files.
#include <string>
#include <vector>

struct TModelFile {
  std::string Path;
  // Empty for a file to examine; for a folder that could not be listed, or
  // an entry of a folder whose status could not be read (so that whether it
  // is a model file or a folder of them is unknown), why.
  std::string FolderError;
  bool EntryUnreadable = false;  // FolderError is about the entry, not a listing
};

// The files of every path, path by path in the order given; inside a folder
// in sorted order (name by name, byte order), a folder's files where its name
// sorts. A path that does not exist raises Exception.
std::vector<TModelFile> ListModelFiles(const std::vector<std::string>& Paths);
