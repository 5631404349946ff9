draw_set_halign(fa_center);
draw_set_font(global.font_big);
draw_set_color(c_white);
draw_text_transformed(320, 100, "GAME OVER", 4, 4, 0);
draw_text_transformed(320, 200, "SCORE " + string(points), 2, 2, 0);
draw_set_font(-1);
if (alarm[0] < 0 && (t div 15) mod 2 == 0) draw_text(320, 300, "press Enter or click for the title");
draw_set_halign(fa_left);
