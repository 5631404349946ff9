// Where dialogs are shown. Headless runs (KELVARO_HEADLESS=1) log each dialog and take the next
// scripted answer; with a display, the modal message and question are SDL message boxes and the
// text dialogs and the asynchronous message and question are ImGui windows (zenity, kdialog or a
// message box where SDL has no display), which an asynchronous dialog leaves open while the frames
// go on.
#pragma once

#include <cstdint>

#include "dialog/Dialog_Requests.h"

class DialogBackend {
  public:
    virtual ~DialogBackend() = default;
    // Shows the dialog and waits for its answer.
    virtual DialogAnswer RunModal(const DialogView& view) = 0;
    // Opens a modeless dialog for the request; its answer reaches Dialog_Answer, now or later.
    virtual void OpenAsync(int32_t id, const DialogView& view) = 0;
    // Serves the open modeless dialog; called once a frame.
    virtual void Poll() {}
};

// The back end the run's switches choose; a test may put its own in place (null: the chosen one).
DialogBackend& Dialog_Backend();
void Dialog_SetBackend(DialogBackend* backend);

// The two back ends.
DialogBackend& Dialog_HeadlessBackend();
DialogBackend& Dialog_DesktopBackend();
