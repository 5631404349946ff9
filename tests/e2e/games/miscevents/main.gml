// The first three executions name their code Execute.0, ExecuteFile.0 and Execute.1: each reports
// an error whose report says where it ran.
execute_string('variable_global_array_get("names", 32000)'); execute_file("names.txt");
execute_string('variable_global_array_get("names", 32000)'); show_debug_message("names done");
show_debug_message(execute_string("return argument0 + argument1", 2, 3));
show_debug_message(execute_string("return argument_count", "a", "b", "c"));
show_debug_message(execute_file("prog.txt", 6, 7)); show_debug_message(external_call(0));
external_free("testext.dll"); variable_global_set("score", 10);
show_debug_message(variable_global_get("score")); show_debug_message(global.score);
variable_global_array2_set("grid", 2, 5, "cell");
show_debug_message(variable_global_array2_get("grid", 2, 5));
show_debug_message(variable_global_exists("grid")); show_debug_message(variable_local_exists("hp"));
variable_local_set("hp", 3.5); show_debug_message(variable_local_get("hp")); variable_local_set("x", 42);
show_debug_message(x); event_user(3); event_user(-10); event_perform(ev_other, 1000000000);
event_perform_object(obj_other, ev_other, ev_user1); win8_device_touchscreen_available();
show_debug_message("end");
