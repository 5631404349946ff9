// Script-table services of game preparation and shut-down. The script table has landed; its header
// stands here for the files that include this one.
#pragma once

#include "script/Script_Table.h"
