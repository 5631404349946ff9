global.failures = 0; global.copies = 0; global.frame = 0;
global.pawn = instance_create(100, 100, obj_pawn); // its create event copies it once, with events
scr_check(instance_number(obj_pawn) == 2, 1); scr_check(instance_create(0, 0, 70) == -1, 2);
scr_check(instance_create("x", 0, obj_pawn) == -1, 3); with (global.pawn) global.copy = instance_copy(false);
scr_check(instance_number(obj_pawn) == 3, 4); with (global.copy) instance_change(obj_knight, true);
scr_check(instance_number(obj_knight) == 1, 5); with (global.pawn) { instance_destroy(); instance_destroy(); }
scr_check(instance_nearest(0, 0, obj_pawn) == global.pawn + 1, 8); scr_check(instance_find(all, 0) == id, 9);
with (global.copy) { x = -1; move_wrap(true, false, 0); scr_check(x == room_width - 1, 10);
    motion_set(180, 3); scr_check(speed == 3 && hspeed == -3, 11); }
