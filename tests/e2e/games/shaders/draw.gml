// The same rectangle without a shader, through the tint shader (red only), and after a reset.
draw_set_color(c_white);
draw_rectangle(10, 10, 50, 50, false);
shader_set(0);
u = shader_get_uniform(0, "tint");
shader_set_uniform_f(u, 1, 0, 0, 1);
draw_rectangle(60, 10, 100, 50, false);
shader_reset();
draw_rectangle(110, 10, 150, 50, false);
show_debug_message("uniform " + string(u) + " texel " + string(texture_get_texel_width(-1)));
