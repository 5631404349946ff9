action_bounce(0, 0); show_debug_message("bounced to " + string(hspeed));
