room_goto(rm_over);
