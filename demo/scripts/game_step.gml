window_set_caption("kelvaro demo - score " + string(ds_map_find_value(global.stats, "score")));
