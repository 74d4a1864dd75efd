#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Names a dialog or one of its controls. Handles are never reused, so a handle of
// an ended dialog stays dead; 0 names nothing. Operations on a dead or null handle
// have no effect.
using WindowHandle = std::uint64_t;

enum class ControlKind { Text, ProgressBar, Button, Picture };

// Position and size in dialog units.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlTemplate {
    int id = 0;
    ControlKind kind = ControlKind::Text;
    DialogRect rect;
    std::wstring text;
    // A picture's image as PNG bytes the program holds for its whole run.
    std::string_view image = {};
};

struct DialogTemplate {
    int id = 0;
    std::wstring title;
    int width = 0;
    int height = 0;
    std::vector<ControlTemplate> controls;
};

enum class DialogMessage { Init, Command };

// Called on the dialog's thread: once with Init when the controls exist, then with
// Command for every command the dialog receives (commandId is the button or command
// id). Returns whether the message was handled.
using DialogProcedure = std::function<bool(WindowHandle dialog, DialogMessage message, int commandId)>;

// Creates the dialog and runs it modally on the calling thread until it is ended;
// returns the result given to EndDialog.
int RunModalDialog(const DialogTemplate& dialogTemplate, const DialogProcedure& procedure);

// Ends the dialog with a result; from then on it no longer exists.
void EndDialog(WindowHandle dialog, int result);
// Takes the dialog down as the end of the process does: without a result and without
// telling the user interface.
void DestroyDialog(WindowHandle dialog);
bool DialogExists(WindowHandle dialog);
// The control with that id of the dialog; 0 when there is none.
WindowHandle DialogItem(WindowHandle dialog, int controlId);
// The template id of the dialog a handle belongs to (dialog or control); 0 when dead.
int DialogTemplateId(WindowHandle window);

// Hands a command to the dialog's procedure and waits until it has been handled (at
// once when called on the dialog's own thread).
void SendDialogCommand(WindowHandle dialog, int commandId);
// Queues a command for the dialog's procedure without waiting.
void PostDialogCommand(WindowHandle dialog, int commandId);
// A button the user pressed, whatever the backend (a click, Ctrl+C, a script's press):
// its command is queued for the dialog's procedure.
void PressDialogButton(WindowHandle dialog, int buttonId);

// Progress bars: a range, a step, and a step-it that moves the position by the step;
// a position beyond the top of the range starts again from the bottom.
void SetBarRange(WindowHandle bar, int low, int high);
void SetBarStep(WindowHandle bar, int step);
void StepBar(WindowHandle bar);
int BarPosition(WindowHandle bar);

void SetControlText(WindowHandle control, const std::wstring& text);
std::wstring ControlText(WindowHandle control);

}  // namespace platform
