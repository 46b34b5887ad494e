// reelwrite project save|info|apply: the project file from the command line.
#pragma once

#include <string>
#include <vector>

// args: what follows "project".
int Project(const std::vector<std::string>& args);
