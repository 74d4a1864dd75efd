#pragma once
#include <string>

// Finishes the updater's self-update as the game client does when started with
// "-updatevexa": reads "vexa/needupdate.txt" below the client's folder (the new
// version, then the names of the updater's own files), copies each file from
// "vexa/tempDownload/<version>/vexa/" over "vexa/" (waiting up to ten seconds for
// an updater that is still ending to release its file), then deletes the hand-over file
// and "vexa/tempDownload/". On any failure nothing is deleted, so a later start can
// try again. Returns the line to print.
std::string FinishSelfUpdate(const std::wstring& clientFolder);
