#pragma once
#include "platform/dialog.h"

// The template of one of the updater's dialogs (IDD_... of resource.h); an empty
// template (id 0) for an id the program has no dialog for.
const platform::DialogTemplate& LoadDialogTemplate(int dialogId);
