#pragma once
// Checking many files on several threads while handing the results on in
// the order of the files, so the output is the same for any number of
// threads.
#include <cstddef>
#include <functional>
#include <vector>

#include "check/ModelCheck.h"
#include "check/ModelFiles.h"

// The number of threads when none is asked for: the number of cores.
int DefaultCheckJobs();

// Examines Files on Jobs threads (at least 1). Results reaches the caller's
// thread in the order of Files, each as soon as it and all before it are
// done; Progress, when set, is called on the caller's thread about ten times
// a second with the number of files done. A folder that could not be listed
// is one FOLDER_UNREADABLE finding. An error no file explains (memory, a
// thread that cannot start) stops the run and is raised here.
void CheckFiles(const std::vector<TModelFile>& Files, const TCheckOptions& Options, int Jobs,
                const std::function<void(size_t Index, std::vector<TFinding>& Findings)>& Results,
                const std::function<void(size_t Done)>& Progress = nullptr);
