// Object services that game preparation and shut-down call. The object table and the event object
// lists have landed; their headers stand here for the files that include this one.
#pragma once

#include "object/Object_Lists.h"
#include "object/Object_Table.h"
