// At the room start, after every create event: names declared globalvar by another object are the globals here too.
points += 100;
tries -= 1;
show_debug_message("points " + string(points) + " global " + string(global.points) + " tries " + string(global.tries));
show_debug_message("own points " + string(variable_local_exists("points")) + " own tries " + string(variable_local_exists("tries")));
show_debug_message("global points " + string(variable_global_exists("points")));
