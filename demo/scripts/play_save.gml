// F5: the counters travel in a global, which the saved game keeps.
global.saved_stats = ds_map_write(global.stats);
game_save("demo.sav");
show_debug_message("saved, player at " + string(obj_player.x) + " " + string(obj_player.y) + " score "
    + string(ds_map_find_value(global.stats, "score")));
