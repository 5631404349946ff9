// The SDL half of the error form. Only Code_ErrorForm.cpp calls it.
#pragma once

#include <cstdint>

struct ErrorFormRecord;

// Shows the form as a message box with the buttons Copy, Clear, Abort and Ignore (Ignore only when
// the record allows it) until Abort (1) or Ignore (0) ends it; -1 when no box could be shown.
int32_t CodeSdl_ShowErrorForm(ErrorFormRecord* record);
