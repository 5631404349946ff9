t += 1;
if (alarm[0] < 0 && (keyboard_check_pressed(vk_enter) || mouse_check_button_pressed(mb_left)
    || (gamepad_is_connected(0) && gamepad_button_check_pressed(0, gp_face1)))) room_goto(rm_title);
