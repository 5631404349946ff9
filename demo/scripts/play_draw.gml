// The score line stays at the top left of the view while the view scrolls.
draw_set_font(global.font_big);
draw_set_color(c_white);
draw_text(view_xview[0] + 10, view_yview[0] + 8, "SCORE " + string(ds_map_find_value(global.stats, "score"))
    + "  SHIPS " + string(obj_player.ships) + "  WAVE " + string(ds_map_find_value(global.stats, "wave")));
draw_set_font(-1);
