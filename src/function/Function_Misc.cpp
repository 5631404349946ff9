// The Misc family's registrar: its three groups live in their own files.
#include "function/Function_Families.h"

void Function_Misc_Init()
{
    Function_MiscEvents_Register();
    Function_MiscDates_Register();
    Function_MiscWindow_Register();
}
