global.frame += 1;
// The walker stopped in front of the wall at x 160, facing it; the seeker went round its wall.
if (global.frame == 140) {
    scr_check(obj_walker.x == 144 && obj_walker.y == 100 && obj_walker.direction == 0, 20);
    scr_check(obj_seeker.x == 300 && obj_seeker.y == 160, 21);
    if (global.failures == 0) alarm[0] = 1; else alarm[1] = 1; }
