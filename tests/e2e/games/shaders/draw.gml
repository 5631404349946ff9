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
// A textured scene below y 60 on the left, and the same scene 160 further right through the
// pass-through shader (or the one with the tools' header): scaled with filtering, turned, tinted and half transparent over another.
if (!surface_exists(pic)) { pic = surface_create(16, 16); }
surface_set_target(pic);
draw_clear(c_red);
draw_rectangle_color(0, 0, 7, 7, c_lime, c_blue, c_yellow, c_white, false);
draw_rectangle_color(8, 8, 15, 15, c_blue, c_blue, c_aqua, c_aqua, false);
surface_reset_target();
texture_set_interpolation(true);
for (i = 0; i < 2; i += 1) {
    if (i == 1) { shader_set(1 + frames mod 2); }
    draw_surface_ext(pic, 10 + 160 * i, 70, 3, 2.5, 0, c_white, 1);
    draw_surface_ext(pic, 90 + 160 * i, 120, 2, 2, 30, c_orange, 1);
    draw_surface_ext(pic, 40 + 160 * i, 150, 4, 4, 0, c_white, 0.5);
    draw_surface_stretched(pic, 100 + 160 * i, 180, 37, 23);
    shader_reset();
}
texture_set_interpolation(false);
frames += 1;
// Squares of a white picture drawn black through the header shader, each with one body constant
// written; a write reaches the whole batch, so each square is flushed before the constant goes
// back to 0.
if (!surface_exists(white)) {
    white = surface_create(4, 4);
    surface_set_target(white);
    draw_clear(c_white);
    surface_reset_target();
}
for (i = 0; i < 13; i += 1) {
    shader_set(sh_header);
    u = shader_get_uniform(sh_header, names[i]);
    shader_set_uniform_f(u, a[i], b[i], c[i], 0);
    draw_surface_ext(white, 160 + 12 * i, 10, 2.5, 2.5, 0, c_black, 1);
    shader_reset();
    shader_set(sh_header);
    shader_set_uniform_f(u, 0, 0, 0, 0);
    shader_reset();
}
