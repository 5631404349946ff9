// Frame 4: an unsupported display size answers 0 and the reset frees every surface.
// Frame 5: the draw event stops.
if (n == 4) { var s; s = surface_create(8, 8);
    show_debug_message("display_set_size " + string(display_set_size(12345, 7)));
    show_debug_message("surface after the reset " + string(surface_exists(s))); }
if (n == 5) draw_enable_drawevent(0); n += 1;
