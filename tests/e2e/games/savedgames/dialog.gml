if (ds_map_exists(async_load, "username")) {
    show_debug_message("login " + ds_map_find_value(async_load, "username") + "/" + ds_map_find_value(async_load, "password") + " " + string(ds_map_find_value(async_load, "status")));
} else {
    show_debug_message('answer "' + ds_map_find_value(async_load, "result") + '" ' + string(ds_map_find_value(async_load, "status")));
}
