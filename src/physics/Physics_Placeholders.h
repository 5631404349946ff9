// Physics services that start-up calls before the physics world exists.
#pragma once

// Installs the physics layer's error-report callback ("-debug", and "Debug" in options.ini).
void Physics_InstallErrorHook();
