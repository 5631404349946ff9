f = 0; v = audio_play_sound(snd_tone, 1, true);
show_debug_message("voice " + string(v >= 200000) + " playing " + string(audio_is_playing(v)));
