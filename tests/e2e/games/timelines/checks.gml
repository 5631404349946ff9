// Scripts run by index and a path of the game file edited by the path built-ins: alarm 0 rings when
// every check passed, alarm 1 (with the failed check in the log) when one did not.
var ok, copy; ok = true;
if (script_execute(scr_sum, 1, 2, 3) != 9) { ok = false; show_debug_message("script_execute sum"); }
if (script_execute(scr_text) != "made") { ok = false; show_debug_message("script_execute text"); }
if (argument_count != 0) { ok = false; show_debug_message("argument_count after"); }
if (path_get_length(pth_square) != 400) { ok = false; show_debug_message("path length"); }
path_add_point(pth_square, 50, 150, 100);
if (path_get_number(pth_square) != 5) { ok = false; show_debug_message("path_add_point"); }
copy = path_duplicate(pth_square);
if (copy != 1 || path_get_name(copy) != "__newpath1") { ok = false; show_debug_message("path_duplicate"); }
path_shift(copy, 10, 0); path_reverse(copy);
if (path_get_point_x(copy, 0) != 60 || path_get_point_y(copy, 0) != 150) { ok = false; show_debug_message("path edits"); }
path_delete(pth_square);
if (path_exists(pth_square) || path_get_length(pth_square) != -1) { ok = false; show_debug_message("path_delete"); }
if (ok) alarm[0] = 1; else alarm[1] = 1;
