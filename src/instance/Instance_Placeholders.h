// Instance services that shut-down calls. Instance_ClearHash is built (Instance_List.h); this
// header stays so that its includers need no change.
#pragma once

#include "instance/Instance_List.h"
