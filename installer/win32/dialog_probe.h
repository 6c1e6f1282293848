// Test support (win64): looks at the dialog of another process the way a user would see it,
// and clicks it: the window by title, a control's text and enabled state, commands.
#pragma once

#include <string>

// True in a Wine process of the build tree's own test prefix (WINEPREFIX equal to the
// XMT_WINEPREFIX that CTest sets): only there may a test make and remove the platform's
// folders on drive C:.
bool InTestWinePrefix();

// The first top-level dialog whose title is exactly title; null when none.
void* FindDialogByTitle(const char* title);
bool IsDialogAlive(void* dialog);
std::string DialogTitle(void* dialog);
// The text of a control (fetched with WM_GETTEXT, which crosses process borders).
std::string ControlText(void* dialog, int controlId);
bool ControlEnabled(void* dialog, int controlId);
// Posts WM_COMMAND with commandId, as a click on that button would.
void PostDialogCommand(void* dialog, int commandId);
// Posts WM_SYSCOMMAND with command, as a choice from the window's system menu would.
void PostSystemCommand(void* dialog, unsigned command);
