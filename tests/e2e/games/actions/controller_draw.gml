action_color(c_red); action_draw_rectangle(10, 10, 50, 50, 0);
action_draw_gradient_hor(60, 10, 100, 50, c_blue, c_lime);
action_draw_gradient_vert(110, 10, 150, 50, c_white, c_black); action_color(c_yellow);
action_draw_ellipse(160, 10, 200, 50, 0); action_draw_health(10, 60, 110, 80, 4, 1);
action_draw_health(10, 90, 110, 110, 0, 0);
