action_create_object_motion(obj_ball, 100, 104, 4, 0); action_set_relative(1); action_move_to(5, 0);
action_set_relative(0); action_set_alarm(3, 0); action_set_life(1); action_set_health(50);
show_debug_message("controller at " + string(x));
