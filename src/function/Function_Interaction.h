// Shared rules of the Interaction family: the mouse-button tests that mouse_check_button and its
// per-device forms apply (button -1 any of 1 to 3, 0 none of them, 1 to 3 that button, else 0).
#pragma once

#include <cstdint>

bool Builtin_MouseButtonTest(int32_t button, int32_t device);
bool Builtin_MouseButtonPressedTest(int32_t button, int32_t device);
bool Builtin_MouseButtonReleasedTest(int32_t button, int32_t device);
