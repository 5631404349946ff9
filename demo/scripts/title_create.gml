t = 0;
show_debug_message("title, best " + highscore_name(1) + " " + string(highscore_value(1)));
