// A shot that meets an enemy: sparks, a sound and ten points.
var v;
scr_burst(other.x, other.y);
v = audio_play_sound(snd_hit, 2, false);
ds_map_replace(global.stats, "score", ds_map_find_value(global.stats, "score") + 10);
show_debug_message("enemy hit, score " + string(ds_map_find_value(global.stats, "score")) + ", sound playing "
    + string(audio_is_playing(v)));
with (other) instance_destroy();
instance_destroy();
