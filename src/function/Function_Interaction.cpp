// The Interaction family's registrar: the keyboard, mouse and joystick group, then the dialogs group.
#include "function/Function_Families.h"

void Function_Interaction_Init()
{
    Function_InteractionInput_Register();
    Function_InteractionDialogs_Register();
}
