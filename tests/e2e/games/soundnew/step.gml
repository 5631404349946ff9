f += 1; if (f == 20) { audio_stop_sound(v); show_debug_message("stopped " + string(audio_is_playing(v))); }
if (f == 40) audio_play_music(snd_loop, true);
if (f == 58) show_debug_message("music " + string(audio_music_is_playing()));
