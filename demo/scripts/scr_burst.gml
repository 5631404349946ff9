// A spray of sparks at (argument0, argument1); the log line shows how many particles are alive.
part_particles_create(global.parts, argument0, argument1, global.spark, 24);
show_debug_message("burst, particles " + string(part_particles_count(global.parts)));
