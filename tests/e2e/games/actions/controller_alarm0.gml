show_debug_message("relative in the next event: " + string(argument_relative)); action_set_relative(1);
action_set_alarm(2, 1); show_debug_message("alarm 1 set to " + string(alarm[1]));
