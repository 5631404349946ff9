// A grid of 4 x 2 cells of 16 from (200, 10) whose cell (1, 0) is forbidden: the way from the first
// cell to the last of the top row goes down, along the bottom row and up again.
global.grid = mp_grid_create(200, 10, 4, 2, 16, 16); mp_grid_add_cell(global.grid, 1, 0);
scr_check(mp_grid_path(global.grid, pth_plan, 204, 14, 252, 14, false) == 1, 1);
scr_check(path_get_number(pth_plan) == 6, 2);
scr_check(path_get_point_x(pth_plan, 0) == 204 && path_get_point_y(pth_plan, 0) == 14, 3);
scr_check(path_get_point_x(pth_plan, 1) == 208 && path_get_point_y(pth_plan, 1) == 34, 4);
scr_check(path_get_point_x(pth_plan, 4) == 240 && path_get_point_y(pth_plan, 4) == 18, 5);
scr_check(path_get_point_x(pth_plan, 5) == 252 && path_get_point_y(pth_plan, 5) == 14, 6);
scr_check(path_get_point_speed(pth_plan, 3) == 100 && path_get_closed(pth_plan) == 0, 7);
// A goal on the forbidden cell finds nothing and leaves the path as it was.
scr_check(mp_grid_path(global.grid, pth_plan, 204, 14, 220, 14, true) == 0, 8);
scr_check(path_get_number(pth_plan) == 6, 9); scr_check(mp_grid_create(0, 0, 0, 5, 16, 16) == -1, 10);
// The path forms plan ahead and leave the planner where it was.
with (obj_walker) { scr_check(mp_linear_path(pth_line, 300, 100, 4, false) == 0, 11);
    scr_check(mp_linear_path(pth_line, 32, 20, 4, false) == 1, 12);
    scr_check(path_get_number(pth_line) == 21 && path_get_point_y(pth_line, 20) == 20, 13);
    scr_check(x == 32 && y == 100 && direction == 0, 14); } with (obj_seeker) {
    scr_check(mp_potential_path(pth_line, 300, 160, 4, 2, false) == 1, 15);
    scr_check(path_get_point_x(pth_line, path_get_number(pth_line) - 1) == 300, 16);
    scr_check(mp_potential_path(pth_line, 300, 160, 4, 1, false) == 0, 17);
    scr_check(x == 32 && y == 160 && direction == 0, 18); }
