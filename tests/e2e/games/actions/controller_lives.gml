show_debug_message("no more lives " + string(lives)); action_set_relative(1); action_set_health(-100);
