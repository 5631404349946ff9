// A grow buffer aligned to 4 takes a byte, a signed word, a string and a double, reads them back,
// is hashed, encoded and saved, and the saved file is loaded again. Then a wrap buffer.
show_debug_message(buffer_load("missing.bin")); show_debug_message("buffers start"); var b, c, d;
b = buffer_create(4, 1, 4); buffer_write(b, 1, 300.7); buffer_write(b, 6, -2); buffer_write(b, 11, "kelvaro");
buffer_write(b, 9, 0.25); show_debug_message(buffer_get_size(b)); show_debug_message(buffer_tell(b));
buffer_seek(b, 0, 0); show_debug_message(buffer_read(b, 1)); show_debug_message(buffer_read(b, 6));
show_debug_message(buffer_read(b, 11)); show_debug_message(buffer_read(b, 9));
show_debug_message(buffer_md5(b, 0, 24)); show_debug_message(buffer_base64_encode(b, 0, 8));
buffer_save_ext(b, "out.bin", 0, 24); c = buffer_load("out.bin"); show_debug_message(buffer_get_size(c));
show_debug_message(buffer_sha1(c, 0, -1)); d = buffer_create(10, 2, 4); buffer_write(d, 6, 1);
buffer_write(d, 6, 2); buffer_write(d, 6, 3); show_debug_message(buffer_tell(d)); buffer_write(d, 6, 4);
show_debug_message(buffer_peek(d, 2, 6)); buffer_delete(b); buffer_delete(c);
show_debug_message(buffer_create(1, 0, 1));
