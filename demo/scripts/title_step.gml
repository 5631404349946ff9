t += 1;
var start;
start = keyboard_check_pressed(vk_enter) || keyboard_check_pressed(vk_space) || mouse_check_button_pressed(mb_left);
if (gamepad_is_connected(0)) start = start || gamepad_button_check_pressed(0, gp_face1);
if (start) {
    ds_map_replace(global.stats, "score", 0);
    room_goto(rm_play);
}
