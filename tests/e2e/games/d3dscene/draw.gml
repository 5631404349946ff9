// Under a perspective projection whose z = 0 plane shows the room as in 2D, each block's front
// face (normal (0, 0, -1), towards the camera) lies on its 2D rectangle.
d3d_start();
d3d_set_projection_perspective(0, 0, 320, 240, 0);
draw_set_color(make_color_rgb(200, 100, 50));

// A directional light at N.L = 0.8 over an ambient grey of 40.
d3d_set_lighting(true);
d3d_light_define_ambient(make_color_rgb(40, 40, 40));
d3d_light_define_direction(0, 0, 0.6, 0.8, c_white);
d3d_light_enable(0, true);
d3d_draw_block(10, 10, 0, 150, 100, 40, -1, 1, 1);

// A point light of range 100, 40 in front of the first face's centre; lighting is worked out at
// the corners, which all lie 42.4 from the light on the first face and beyond its range on the
// second.
d3d_light_enable(0, false);
d3d_light_define_point(1, 200, 55, -40, 100, c_white);
d3d_light_enable(1, true);
d3d_draw_block(190, 45, 0, 210, 65, 40, -1, 1, 1);
d3d_draw_block(300, 45, 0, 315, 65, 40, -1, 1, 1);
d3d_light_enable(1, false);
d3d_set_lighting(false);

// Linear fog from 0 to 640: the face lies 320 in front of the camera.
d3d_set_fog(true, c_blue, 0, 640);
d3d_draw_block(10, 110, 0, 100, 130, 40, -1, 1, 1);
d3d_set_fog(false, c_black, 0, 0);

// A cylinder along y, its texture (red over blue) repeated twice along its length.
draw_set_color(c_white);
d3d_transform_set_rotation_x(90);
d3d_transform_add_translation(240, 180, 0);
d3d_draw_cylinder(-20, -20, -40, 20, 20, 40, background_get_texture(bg_bands), 1, 2, true, 24);
d3d_transform_set_identity();

// The model and its copy read back from the file.
draw_set_color(c_lime);
d3d_model_draw(model, 20, 150, 0, -1);
d3d_model_draw(copy, 70, 150, 0, -1);
d3d_end();
