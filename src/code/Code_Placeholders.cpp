// PLACEHOLDERS: each definition here stands in for an issue that has not landed and is replaced by it.
#include "code/Code_Placeholders.h"

