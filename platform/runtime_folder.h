#pragma once
#include <optional>
#include <string>

namespace platform {

// The per-user folder for locks and endpoints, with a trailing '/': on Windows "vexa" in
// the user's local application data; elsewhere $XDG_RUNTIME_DIR, else /tmp/vexa-<uid>/
// (created private to the user). A folder is used only when it is
// private (see IsPrivateFolder): another local user must not be able to plant links in it,
// hold its locks or bind its endpoints. Nothing when neither is; `problem` then says why.
std::optional<std::wstring> RuntimeFolder(std::wstring* problem = nullptr);

// True when the folder is a directory, not a link, owned by this user (with mode 0700
// where modes exist).
// With `create`, a missing folder is made so. Otherwise `problem` names the folder and why.
bool IsPrivateFolder(const std::wstring& folder, bool create, std::wstring& problem);

}  // namespace platform
