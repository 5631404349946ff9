music_check -= 1;
if (music_check == 0) show_debug_message("music playing " + string(audio_music_is_playing()));
// The first step after a load: the map is not part of a saved game, so its counters come back from
// the copy that the save kept in a global.
if (ds_map_find_value(global.stats, "loading") && !global.before_load) {
    ds_map_read(global.stats, global.saved_stats);
    show_debug_message("loaded, player at " + string(obj_player.x) + " " + string(obj_player.y) + " score "
        + string(ds_map_find_value(global.stats, "score")));
}
