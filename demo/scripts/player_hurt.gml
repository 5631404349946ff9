// Touching an enemy costs a life, then a second of safety; the last life ends the game.
if (safe > 0 || ships <= 0) exit;
ships -= 1;
safe = 45;
scr_burst(x, y);
audio_play_sound(snd_hurt, 2, false);
show_debug_message("player hit, ships " + string(ships));
with (other) instance_destroy();
if (ships <= 0) {
    visible = false;
    alarm[0] = 45;
}
