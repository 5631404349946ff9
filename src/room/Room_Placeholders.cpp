#include "room/Room_Placeholders.h"
