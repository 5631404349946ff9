// One picture, the same every frame: shapes, health bars, a button and an arrow, blend modes,
// the colour mask, alpha testing, primitives and every way of drawing a surface. Surfaces lost
// to a device reset are made again.
if (!surface_exists(sy)) { sy = surface_create(16, 16); }
if (!surface_exists(st)) { st = surface_create(8, 8); }
if (!surface_exists(sd)) { sd = surface_create(32, 32); }
if (!surface_exists(sd2)) { sd2 = surface_create(32, 32); }
if (!surface_exists(sa)) { sa = surface_create(8, 8); }
if (!surface_exists(sb)) { sb = surface_create(8, 8); }
if (!surface_exists(sc)) { sc = surface_create(16, 16); }
if (!surface_exists(ss)) { ss = surface_create(4, 4); }
surface_set_target(sy); draw_clear(c_yellow); surface_reset_target();
surface_set_target(st); draw_clear(c_red); draw_rectangle_color(0, 0, 3, 3, c_lime, c_lime, c_lime, c_lime, false); surface_reset_target();
surface_set_target(sd); draw_clear(c_black); draw_surface_tiled(st, 0, 0); surface_reset_target();
surface_set_target(sd2); draw_clear(c_black); draw_surface_tiled_ext(st, 0, 0, 2, 2, c_white, 1); surface_reset_target();
surface_set_target(sa); draw_clear_alpha(c_blue, 0); surface_reset_target();
surface_set_target(sb); draw_clear_alpha(c_blue, 1); surface_reset_target();
surface_set_target(ss); draw_clear(c_blue); surface_reset_target();
surface_set_target(sc); draw_clear(c_red); surface_reset_target(); surface_copy(sc, 4, 4, ss);
surface_copy_part(sc, 10, 10, sy, 0, 0, 4, 4);
// Row 1: each shape and its _color form.
draw_set_color(c_red); draw_rectangle(2, 2, 17, 17, false);
draw_rectangle_color(22, 2, 37, 17, c_lime, c_lime, c_lime, c_lime, false); draw_circle(50, 10, 7, false);
draw_circle_color(70, 10, 7, c_blue, c_blue, false); draw_ellipse(82, 4, 97, 15, false);
draw_ellipse_color(102, 4, 117, 15, c_blue, c_blue, false); draw_triangle(122, 2, 137, 2, 122, 17, false);
draw_triangle_color(142, 2, 157, 2, 142, 17, c_lime, c_lime, c_lime, false);
draw_roundrect(162, 2, 177, 17, false); draw_roundrect_color(182, 2, 197, 17, c_blue, c_blue, false);
draw_line_width(200, 10, 219, 10, 6); draw_line_width_color(220, 10, 239, 10, 6, c_lime, c_lime);
draw_line(240, 10, 259, 10); draw_line_color(260, 10, 279, 10, c_lime, c_lime); draw_point(290, 10);
draw_point_color(300, 10, c_lime);
// Row 2: outlines.
draw_rectangle(2, 22, 17, 37, true); draw_circle(30, 30, 7, true);
// Row 3: health bars filled half way in the four directions, a button up and pressed, an arrow.
draw_healthbar(2, 42, 41, 51, 50, c_gray, c_red, c_lime, 0, true, false);
draw_healthbar(50, 42, 89, 51, 50, c_gray, c_red, c_lime, 1, true, false);
draw_healthbar(100, 42, 109, 81, 50, c_gray, c_red, c_lime, 2, true, false);
draw_healthbar(120, 42, 129, 81, 50, c_gray, c_red, c_lime, 3, true, false); draw_set_color(c_blue);
draw_button(140, 42, 159, 61, true); draw_button(170, 42, 189, 61, false); draw_set_color(c_red);
draw_arrow(200, 50, 240, 50, 10);
// Row 4: blend modes, the colour-write mask and alpha testing.
draw_rectangle_color(2, 110, 17, 125, c_red, c_red, c_red, c_red, false); draw_set_blend_mode(bm_add);
draw_rectangle_color(2, 110, 17, 125, c_lime, c_lime, c_lime, c_lime, false); draw_set_blend_mode(bm_normal);
draw_rectangle_color(22, 110, 37, 125, c_white, c_white, c_white, c_white, false);
draw_set_blend_mode(bm_subtract); draw_rectangle_color(22, 110, 37, 125, c_red, c_red, c_red, c_red, false);
draw_set_blend_mode(bm_normal); draw_rectangle_color(42, 110, 57, 125, c_red, c_red, c_red, c_red, false);
draw_set_blend_mode(bm_max); draw_rectangle_color(42, 110, 57, 125, c_blue, c_blue, c_blue, c_blue, false);
draw_set_blend_mode(bm_normal); draw_rectangle_color(62, 110, 77, 125, c_blue, c_blue, c_blue, c_blue, false);
draw_set_blend_mode_ext(bm_one, bm_one);
draw_rectangle_color(62, 110, 77, 125, c_lime, c_lime, c_lime, c_lime, false); draw_set_blend_mode(bm_normal);
draw_set_color_write_enable(true, false, false, true);
draw_rectangle_color(82, 110, 97, 125, c_white, c_white, c_white, c_white, false);
draw_set_color_write_enable(true, true, true, true); draw_set_alpha_test(true);
draw_set_alpha_test_ref_value(128); draw_set_alpha(0.4); draw_rectangle(102, 110, 117, 125, false);
draw_set_alpha(1); draw_rectangle(122, 110, 137, 125, false); draw_set_alpha_test(false);
// Row 5: primitives of every kind, then one textured with a surface.
draw_set_color(c_lime); draw_primitive_begin(pr_pointlist); draw_vertex(5, 150); draw_primitive_end();
draw_primitive_begin(pr_linelist); draw_vertex(20, 150); draw_vertex(39, 150); draw_primitive_end();
draw_primitive_begin(pr_linestrip); draw_vertex(40, 150); draw_vertex(50, 150); draw_vertex(59, 150); draw_primitive_end();
draw_primitive_begin(pr_trianglelist); draw_vertex(60, 141); draw_vertex(79, 141); draw_vertex(60, 158); draw_primitive_end();
draw_primitive_begin(pr_trianglestrip); draw_vertex_color(80, 141, c_blue, 1); draw_vertex_color(99, 141, c_blue, 1);
draw_vertex_color(80, 158, c_blue, 1); draw_vertex_color(99, 158, c_blue, 1); draw_primitive_end();
draw_primitive_begin(pr_trianglefan); draw_vertex(100, 141); draw_vertex(119, 141); draw_vertex(119, 158); draw_vertex(100, 158); draw_primitive_end();
draw_set_color(c_white); draw_primitive_begin_texture(pr_trianglestrip, surface_get_texture(sy));
draw_vertex_texture(120, 141, 0, 0); draw_vertex_texture(139, 141, 1, 0);
draw_vertex_texture_color(120, 158, 0, 1, c_white, 1); draw_vertex_texture_color(139, 158, 1, 1, c_white, 1);
draw_primitive_end();
// Row 6: every way of drawing a surface.
draw_surface(sy, 0, 170); draw_surface_ext(sy, 20, 170, 0.5, 0.5, 0, c_white, 1);
draw_surface_stretched(sy, 40, 170, 8, 16); draw_surface_stretched_ext(sy, 60, 170, 16, 16, c_red, 1);
draw_surface_part(sy, 0, 0, 4, 4, 80, 170); draw_surface_part_ext(sy, 0, 0, 4, 4, 100, 170, 2, 2, c_lime, 1);
draw_surface_general(sy, 0, 0, 8, 8, 120, 170, 1, 1, 0, c_red, c_red, c_red, c_red, 1);
draw_surface(sd, 140, 170); draw_surface(sd2, 180, 170);
draw_rectangle_color(220, 170, 239, 189, c_white, c_white, c_white, c_white, false);
draw_surface(sa, 220, 170); draw_surface(sb, 230, 180); draw_surface(sc, 240, 170); if (n == 2) {
    show_debug_message("surface_getpixel " + string(surface_getpixel(sc, 1, 1)));
    show_debug_message("draw_getpixel " + string(draw_getpixel(10, 10)) + " " + string(draw_getpixel(30, 10)));
    surface_save(sc, "surface.png"); screen_save("screen.png");
    screen_save_part("part.png", -10, -10, 20, 20); screen_save_part("outside.png", 400, 300, 10, 10); }
