draw_set_font(fnt_cells); draw_text(10, 10, "AB#ACB");
draw_text_color(10, 30, "AB", c_white, c_white, c_white, c_white, 1);
draw_text_color(40, 10, "D", c_blue, c_blue, c_blue, c_blue, 1); draw_set_font(99); draw_text(60, 10, "I");
draw_set_font(fnt_cells); draw_set_halign(fa_center); draw_set_valign(fa_middle); draw_text(100, 20, "D");
draw_set_halign(fa_right); draw_set_valign(fa_bottom); draw_text(130, 20, "D"); draw_set_halign(fa_left);
draw_set_valign(fa_top); draw_text_ext(150, 10, "DD DD", -1, 12);
draw_text_transformed(200, 40, "D", 1, 1, 90); draw_text_color(230, 10, "D", c_red, c_red, c_blue, c_blue, 1);
draw_set_font(fs); draw_text(10, 60, "XY");
draw_text_color(10, 70, "XY", c_white, c_white, c_white, c_white, 1);
