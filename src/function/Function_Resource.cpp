// The resource family's registrar. Its groups register in the order the family lists its names:
// sprites, backgrounds, objects and assets, scripts and time lines, sound resources, paths, fonts,
// rooms. Each group lives in its own file; those not written yet stand in
// Function_Placeholders.cpp.
#include "function/Function_Families.h"

void InitResourceFunctions()
{
    Function_ResourceSprites_Register();
    Function_ResourceBackgrounds_Register();
    Function_ResourceObjects_Register();
    Function_ResourceScripts_Register();
    Function_ResourceSounds_Register();
    Function_ResourcePaths_Register();
    Function_ResourceFonts_Register();
    Function_ResourceRooms_Register();
}
