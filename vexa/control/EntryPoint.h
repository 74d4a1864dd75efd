#pragma once
#include <string>
#include <vector>

// The updater's process: takes the single-instance lock, prepares the process and
// runs the one job the arguments ask for. Returns the exit code: 1 when its own
// start-up failed, otherwise 0 whatever the job reported.
int RunVexa(const std::vector<std::wstring>& arguments);
