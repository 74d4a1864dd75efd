#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// What an entry is; a symbolic link counts as what it points at.
enum class EntryKind { File, Folder, Other };

struct FolderEntry {
    std::wstring name;
    EntryKind kind;
    bool hidden;      // the name starts with '.', or the system marks the entry hidden
    bool exactName;   // the name's bytes are valid UTF-8, so `name` spells them exactly
};

// Lists folders for a depth-first walk and remembers the folders entered and not
// yet left. Symbolic links are followed, but a folder that is already entered
// (reached again through a link or a bind mount) is refused as a loop, so a walk
// always ends. No entry counts as temporary: only Windows has the attribute, and
// its file lists never used it.
class CDirectoryWalk {
public:
    enum class EnterResult { Entered, Loop, Failed };

    // Lists folder's entries, "." and ".." left out, in code point order of their names:
    // file systems return them in orders of their own, and a publisher's list must come
    // out the same wherever it is made. Every Entered is matched by one Leave.
    EnterResult Enter(const std::wstring& folder, std::vector<FolderEntry>& entries);
    void Leave();
    // The system error code of the last Enter that failed.
    int LastError() const { return lastError_; }

private:
    using Identity = std::pair<std::uint64_t, std::uint64_t>;

    EnterResult Fail(int error);
    EnterResult Entered(const Identity& folder, std::vector<FolderEntry>& entries);

    int lastError_ = 0;
    std::vector<Identity> entered_;  // device and inode, or volume and file index
};

}  // namespace platform
