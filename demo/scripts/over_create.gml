t = 0;
points = ds_map_find_value(global.stats, "score");
show_debug_message("game over, score " + string(points) + ", caption " + window_get_caption());
alarm[0] = 20;
