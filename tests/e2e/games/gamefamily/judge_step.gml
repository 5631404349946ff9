// The ball runs into the solid wall, bounces off it once and moves back; then the game ends itself.
if (obj_ball.hspeed < 0) { scr_check(global.bounces == 1, 21); scr_check(obj_ball.x + 16 <= 100, 22);
    if (global.failures == 0) game_end(); else room_goto(99); }
