scr_check(room == room_b, 15);
scr_check(room_next(room) == -1, 16);
scr_check(room_previous(room) == room_a, 17);
scr_check(transition_exists(0) == 0 && transition_exists(21) == 1, 18);
scr_check(instance_number(obj_boss) == 0 && instance_number(obj_judge) == 1, 19);
