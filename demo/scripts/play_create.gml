// The play room's director: particles, music, the wave time line and the F5/F6 keys.
global.parts = part_system_create();
part_system_depth(global.parts, -50);
global.spark = part_type_create();
part_type_shape(global.spark, pt_shape_disk);
part_type_size(global.spark, 0.1, 0.3, -0.005, 0);
part_type_color2(global.spark, c_yellow, c_red);
part_type_alpha2(global.spark, 1, 0);
part_type_speed(global.spark, 2, 6, -0.15, 0);
part_type_direction(global.spark, 0, 359, 0, 0);
part_type_life(global.spark, 15, 30);

audio_play_music(snd_music, true);
music_check = 10;
ds_map_replace(global.stats, "wave", 0);
timeline_index = tl_waves;
timeline_position = 0;
timeline_loop = true;
timeline_running = true;
show_debug_message("play");
