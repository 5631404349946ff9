// The title in the sprite font, the rest in the default font.
draw_set_halign(fa_center);
draw_set_font(global.font_big);
draw_set_color(c_white);
draw_text_transformed(320, 40, "KELVARO", 4, 4, 0);
draw_set_font(-1);
draw_text(320, 120, "a small arcade game for the kelvaro engine");
draw_text(320, 140, "arrows, WASD, the mouse or a gamepad fly the ship; it fires by itself");
draw_text(320, 160, "F5 saves, F6 loads, F4 switches to full screen, Escape quits");
if ((t div 15) mod 2 == 0) {
    draw_set_color(c_yellow);
    draw_text(320, 200, "press Enter, click or press A to play");
}

draw_set_font(global.font_big);
draw_set_color(c_white);
draw_text(320, 250, "HIGH SCORES");
draw_set_font(-1);
var i;
for (i = 1; i <= 5; i += 1)
    draw_text(320, 280 + i * 22, string(i) + ".  " + highscore_name(i) + "   " + string(highscore_value(i)));
draw_set_halign(fa_left);
