#include "vexa/control/Usage.h"

namespace {

constexpr const char* kUsage = R"(Usage: vexa update
       vexa checkupdate <window title>
       vexa -g [-f] [-q] [-s] [<folder>]
       vexa --help | --version

The updater of the MOX game client. It works on the client tree it is installed in:
its own folder lies one level below the client's root and holds "vexa.xml".

Modes (first argument):
  update                 check the update server, apply a newer version, start the client
  checkupdate <title>    check only, and post the result to the client window of that title

Tool switches (anywhere on the command line, any case, dashes optional):
  -g                     write "filelist.xml" for every file of the client tree
  -f                     with -g: replace an existing "filelist.xml" without asking
  -q                     with -g: print no progress or result lines
  -s                     with -g: leave the updater's own folder out of the list
  <folder>               with -g, as the last argument: list that client tree instead
                         of the one the updater is in, and write its "vexa/filelist.xml"
                         (the folder "vexa" is its updater's folder, left out with -s)

Environment:
  VEXA_UI=script         answer message boxes and dialogs from a script, not the console
  VEXA_UI_SCRIPT=<file>  the script: one answer or dialog directive per line
  VEXA_UI_LOG=<file>     append every dialog and message box event as a JSON line
  XDG_RUNTIME_DIR        folder of the single-instance lock and of the client windows
)";

}  // namespace

std::string InformationText(const std::vector<std::wstring>& arguments)
{
    if (arguments.empty())
        return {};
    if (arguments[0] == L"--help")
        return kUsage;
    if (arguments[0] == L"--version")
        return "vexa " VEXA_VERSION "\n";
    return {};
}
