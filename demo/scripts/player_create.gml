ships = global.start_ships;
safe = 0;   // frames left without harm after a hit
reload = 0;
