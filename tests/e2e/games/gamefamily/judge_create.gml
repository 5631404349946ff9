scr_check(room == room_b, 15); scr_check(room_next(room) == -1, 16);
scr_check(room_previous(room) == room_a, 17);
scr_check(transition_exists(0) == 0 && transition_exists(21) == 1, 18);
scr_check(instance_number(obj_boss) == 0 && instance_number(obj_judge) == 1, 19); global.bounces = 0;
// The probe moves right into contact with the wall in front of it: free where it stops, touching one
// pixel further.
with (obj_probe) { move_contact_solid(0, 200);
    scr_check(!place_meeting(x, y, obj_wall) && place_meeting(x + 1, y, obj_wall) && x > 20, 20); }
