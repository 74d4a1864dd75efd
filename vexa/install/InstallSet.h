#pragma once
#include "vexa/install/CFileListInfo.h"

#include <deque>

// The files still to install, in download-info order. The installation takes them
// from the front as each one is in place, so after a failure the set holds the file
// that failed and those after it.
using InstallSet = std::deque<CFileListInfo>;
