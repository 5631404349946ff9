if (global.failures == 0) game_end(); else room_goto(99);
