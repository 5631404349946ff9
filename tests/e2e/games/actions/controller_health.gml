show_debug_message("no more health " + string(health)); action_next_room(0);
