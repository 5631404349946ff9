// F4: full screen and back; the log says which one the window took.
window_set_fullscreen(!window_get_fullscreen());
show_debug_message("full screen " + string(window_get_fullscreen()));
