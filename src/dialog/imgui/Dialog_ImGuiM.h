// The text and login dialogs, and the asynchronous message and question, drawn with Dear ImGui in a
// window of their own. A modal one runs its own loop; the modeless one takes its window's events from the main window's message pump and
// draws a frame each time it is served.
#pragma once

#include "dialog/Dialog_Requests.h"

// A display SDL can open windows on, and no headless run.
bool DialogImGui_Available();
// False when no dialog window could be opened; otherwise the dialog's answer.
bool DialogImGui_RunModal(const DialogView& view, DialogAnswer& answer);
// False when no dialog window could be opened.
bool DialogImGui_OpenModeless(const DialogView& view);
bool DialogImGui_ModelessOpen();
// Draws the modeless dialog's frame; true (with the answer) once it has closed.
bool DialogImGui_ServeModeless(DialogAnswer& answer);
