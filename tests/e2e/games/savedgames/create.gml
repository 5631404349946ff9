n = 0; show_debug_message("best " + highscore_name(1) + " " + string(highscore_value(1)));
show_debug_message("typed " + string(get_integer("How many?", 5))); get_string_async("Name?", "anon");
show_question_async("Sure?"); get_login_async("user", "pass");
