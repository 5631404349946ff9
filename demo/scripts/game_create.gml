// The one object that lives through every room: settings, the score map, the sprite font and the
// keys that work everywhere.
// Settings come from an INI file in the save area; the first run writes the defaults there.
ini_open("settings.ini");
global.volume = ini_read_real("audio", "volume", 0.6);
global.start_ships = ini_read_real("game", "ships", 3);
global.player_name = ini_read_string("game", "name", "PLAYER");
ini_write_real("audio", "volume", global.volume);
ini_write_real("game", "ships", global.start_ships);
ini_write_string("game", "name", global.player_name);
ini_close();
audio_master_gain(global.volume);

// The score and the counters live in a map; the caption and the score table read it.
global.stats = ds_map_create();
ds_map_add(global.stats, "score", 0);
ds_map_add(global.stats, "wave", 0);
ds_map_add(global.stats, "loading", false);
global.saved_stats = "";
global.before_load = false;
global.font_big = font_add_sprite_ext(spr_font, scr_font_chars(), false, 2);
