#pragma once
#include <string>

namespace platform {

// The per-user folder for locks and endpoints, with a trailing '/':
// $XDG_RUNTIME_DIR when set, else /tmp/vexa-<uid>/ (created private to the user).
std::wstring RuntimeFolder();

}  // namespace platform
