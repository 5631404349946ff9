// A failed check is counted and named in the log.
if (!argument0) { global.failures += 1; show_debug_message("FAILED " + string(argument1)); }
