global.failures = 0; global.frame = 0; global.grid = -1;
