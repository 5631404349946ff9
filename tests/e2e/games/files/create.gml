// Writes a text, a binary and an INI file into the save area, reads each back, reads a file shipped
// beside the game under another letter case, and rings alarm 0 only when everything matched.
var f, b, ok; f = file_text_open_write("notes\log.txt"); file_text_write_string(f, "hello");
file_text_writeln(f); file_text_write_real(f, 0.5); file_text_close(f); b = file_bin_open("data.bin", 1);
file_bin_write_byte(b, 1); file_bin_write_byte(b, 255); file_bin_write_byte(b, 300); file_bin_close(b);
ini_open("settings.ini"); ini_write_string("player", "name", "Ann"); ini_write_real("player", "level", 3);
ini_close(); f = file_text_open_write("temp.txt"); file_text_write_string(f, temp_directory);
file_text_close(f); ok = 1; f = file_text_open_read("notes/log.txt");
if (file_text_read_string(f) != "hello") ok = 0; file_text_readln(f);
if (file_text_read_real(f) != 0.5) ok = 0; file_text_close(f); b = file_bin_open("data.bin", 0);
if (file_bin_size(b) != 3) ok = 0; file_bin_seek(b, 1); if (file_bin_read_byte(b) != 255) ok = 0;
if (file_bin_read_byte(b) != 44) ok = 0; file_bin_close(b); ini_open("settings.ini");
if (ini_read_string("player", "name", "") != "Ann") ok = 0;
if (ini_read_real("player", "level", 0) != 3) ok = 0; ini_close(); f = file_text_open_read("SHIPPED.txt");
if (f < 0) ok = 0; else { if (file_text_read_string(f) != "from the bundle") ok = 0; file_text_close(f); }
if (sha1_file("shipped.txt") != sha1_string_utf8("from the bundle")) ok = 0; if (ok) alarm[0] = 1;
