show_debug_message("describe: " + ext_describe(2.5, "abc"));
show_debug_message("empty: " + ext_describe(1, ""));
show_debug_message("init calls: " + string(ext_init_calls()));
show_debug_message("absent: " + string(ext_absent()));
