#include "instance/Instance_Placeholders.h"

// PLACEHOLDER for the instance list and id hash issue: no instance exists.
void Instance_ClearHash() {}
