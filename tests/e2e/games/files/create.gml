// First, while the save area does not exist yet, saves a screen, a surface, a sprite and a background
// as pictures and copies the shipped file, each into a folder of its own. Then writes a text, a
// binary and an INI file into the save area, reads each back, reads a file shipped beside the game
// under another letter case, and rings alarm 0 only when everything matched and every picture and
// the copy are found.
var s, spr, bg, copied, saved, i; s = surface_create(8, 4); surface_set_target(s); draw_clear(c_red);
surface_reset_target(); spr = sprite_create_from_surface(s, 0, 0, 8, 4, false, false, 0, 0);
sprite_add_from_surface(spr, s, 0, 0, 8, 4, false, false); bg = background_create_color(6, 5, c_blue);
screen_save("first/screen/whole.png"); screen_save_part("first/screen_part/part.png", 0, 0, 16, 8);
surface_save(s, "first/surface/whole.png"); surface_save_part(s, "first/surface_part/part.png", 0, 0, 4, 2);
sprite_save(spr, 1, "first/sprite/frame.png"); sprite_save_strip(spr, "first/sprite_strip/strip.png");
background_save(bg, "first/background/blue.png"); copied = file_copy("shipped.txt", "first/copy/shipped.txt");
saved[0] = "screen/whole.png"; saved[1] = "screen_part/part.png"; saved[2] = "surface/whole.png";
saved[3] = "surface_part/part.png"; saved[4] = "sprite/frame.png"; saved[5] = "sprite_strip/strip.png";
saved[6] = "background/blue.png"; saved[7] = "copy/shipped.txt"; surface_free(s);
var f, b, ok; ok = copied == 0; for (i = 0; i < 8; i += 1) if (!file_exists("first/" + saved[i])) ok = 0;
f = file_text_open_write("notes\log.txt"); file_text_write_string(f, "hello");
file_text_writeln(f); file_text_write_real(f, 0.5); file_text_close(f); b = file_bin_open("data.bin", 1);
file_bin_write_byte(b, 1); file_bin_write_byte(b, 255); file_bin_write_byte(b, 300); file_bin_close(b);
ini_open("settings.ini"); ini_write_string("player", "name", "Ann"); ini_write_real("player", "level", 3);
ini_close(); f = file_text_open_write("temp.txt"); file_text_write_string(f, temp_directory);
file_text_close(f); f = file_text_open_read("notes/log.txt");
if (file_text_read_string(f) != "hello") ok = 0; file_text_readln(f);
if (file_text_read_real(f) != 0.5) ok = 0; file_text_close(f); b = file_bin_open("data.bin", 0);
if (file_bin_size(b) != 3) ok = 0; file_bin_seek(b, 1); if (file_bin_read_byte(b) != 255) ok = 0;
if (file_bin_read_byte(b) != 44) ok = 0; file_bin_close(b); ini_open("settings.ini");
if (ini_read_string("player", "name", "") != "Ann") ok = 0;
if (ini_read_real("player", "level", 0) != 3) ok = 0; ini_close(); f = file_text_open_read("SHIPPED.txt");
if (f < 0) ok = 0; else { if (file_text_read_string(f) != "from the bundle") ok = 0; file_text_close(f); }
if (sha1_file("shipped.txt") != sha1_string_utf8("from the bundle")) ok = 0; if (ok) alarm[0] = 1;
