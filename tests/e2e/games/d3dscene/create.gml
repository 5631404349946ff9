// A model saved to the save area and loaded into a second one; both are drawn side by side.
model = d3d_model_create();
d3d_model_block(model, 0, 0, 0, 30, 30, 10, 1, 1);
d3d_model_primitive_begin(model, pr_trianglelist);
d3d_model_vertex_color(model, 0, 40, 0, c_yellow, 1);
d3d_model_vertex_color(model, 30, 40, 0, c_yellow, 1);
d3d_model_vertex_color(model, 0, 55, 0, c_yellow, 1);
d3d_model_primitive_end(model);
show_debug_message("save " + string(d3d_model_save(model, "models/block.d3d")));
copy = d3d_model_create();
show_debug_message("load " + string(d3d_model_load(copy, "models/block.d3d")));
show_debug_message("missing " + string(d3d_model_load(copy, "none.d3d")));
show_debug_message("stack " + string(d3d_transform_stack_push()) + string(d3d_transform_stack_pop()) + string(d3d_transform_stack_pop()));
