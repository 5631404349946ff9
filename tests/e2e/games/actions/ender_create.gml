if (action_if_question("Leave#now?")) show_debug_message("answered yes") else show_debug_message("answered no");
action_set_alarm(2, 0);
