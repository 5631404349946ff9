// Keys, then the gamepad, then the mouse (held left button) decide where to fly.
var dx, dy, nx, ny, s;
dx = keyboard_check(vk_right) - keyboard_check(vk_left) + keyboard_check(ord("D")) - keyboard_check(ord("A"));
dy = keyboard_check(vk_down) - keyboard_check(vk_up) + keyboard_check(ord("S")) - keyboard_check(ord("W"));
if (gamepad_is_connected(0)) {
    dx += gamepad_axis_value(0, gp_axislh) + gamepad_button_check(0, gp_padr) - gamepad_button_check(0, gp_padl);
    dy += gamepad_axis_value(0, gp_axislv) + gamepad_button_check(0, gp_padd) - gamepad_button_check(0, gp_padu);
}
if (mouse_check_button(mb_left) && point_distance(x, y, mouse_x, mouse_y) > 8) {
    dx = mouse_x - x;
    dy = mouse_y - y;
}
if (abs(dx) > 0.2 || abs(dy) > 0.2) {
    image_angle = point_direction(0, 0, dx, dy);
    nx = clamp(x + lengthdir_x(5, image_angle), 16, room_width - 16);
    ny = clamp(y + lengthdir_y(5, image_angle), 16, room_height - 16);
    // Slide along walls: take each axis on its own.
    if (!place_meeting(nx, y, obj_wall)) x = nx;
    if (!place_meeting(x, ny, obj_wall)) y = ny;
}

reload -= 1;
if (reload <= 0) {
    reload = 8;
    s = instance_create(x + lengthdir_x(14, image_angle), y + lengthdir_y(14, image_angle), obj_shot);
    s.direction = image_angle;
    s.speed = 11;
    audio_play_sound(snd_shoot, 1, false);
}
if (safe > 0) {
    safe -= 1;
    image_alpha = 0.4 + 0.6 * ((safe div 4) mod 2);
} else image_alpha = 1;
