// A failed check is counted and named in the log by the object it cannot create: 1000 + its number.
if (!argument0) { global.failures += 1; instance_create(0, 0, 1000 + argument1); }
