// Placeholders: each family's registrar and service below stands in until that family is written,
// and is removed from here when it is.
#include "function/Function_Families.h"
#include "function/Function_File.h"

// Registrars of the families not written yet: each registers no functions.

// The 3D family's own d3d_ names, registered before its three 2D rows (see Function_D3D.cpp):
// none until 3D drawing is built.
void Function_D3DScene_Register() {}


