#pragma once
// Running a helper program (a publishing tool, a patch maker, a setup script) to its end.
#include <string>
#include <vector>

// Runs argv (argv[0] is the program's path) and waits for it; true when it ended with 0
// within boundMs. One still running then is killed and counts as failed.
bool RunTool(const std::vector<std::string>& argv, int boundMs = 60000);
