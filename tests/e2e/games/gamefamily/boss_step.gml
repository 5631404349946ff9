global.frame += 1; if (global.frame == 1) {
    // The changed copy left the pawns' lists at the last list update.
    scr_check(instance_number(obj_pawn) == 1 && instance_number(obj_knight) == 1, 6); }
if (global.frame == 2) { instance_deactivate_object(obj_sleeper);
    scr_check(!instance_exists(obj_sleeper), 12); }
if (global.frame == 4) instance_activate_object(obj_sleeper); if (global.frame == 6) {
    instance_deactivate_region(0, 0, 50, 50, false, true); scr_check(instance_number(all) == 1, 13);
    instance_activate_all(); scr_check(instance_number(all) == 4, 14); }
if (global.frame == 7) room_goto_next();
