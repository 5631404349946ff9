// Step 1 gives obj_child a parent and takes obj_ticker's step away; step 4 builds a room, logs a
// few assets by name and goes there.
if (step == 1) {
    object_set_parent(obj_child, obj_base);
    object_event_clear(obj_ticker, 3, 0);
}
if (step == 4) {
    var r;
    r = room_add();
    room_set_width(r, 400);
    room_set_caption(r, "Made while playing");
    room_instance_add(r, 32.9, 48, obj_guest);
    room_set_code(r, "show_debug_message('room code, width ' + string(room_width));");
    show_debug_message("obj_guest: " + string(asset_get_index("obj_guest")) + " " + string(asset_get_type("obj_guest")));
    show_debug_message("room_start: " + string(asset_get_index("room_start")) + " " + string(asset_get_type("room_start")));
    show_debug_message("new room: " + string(asset_get_index(room_get_name(r))) + " " + string(asset_get_type(room_get_name(r))));
    show_debug_message("unknown: " + string(asset_get_index("no_such_asset")) + " " + string(asset_get_type("no_such_asset")));
    room_goto(r);
}
step += 1;
