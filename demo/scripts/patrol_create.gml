path_start(pth_loop, 3, 1, false);
