// Step 1 gives obj_child a parent and takes obj_ticker's step away; step 4 builds a room, logs
// assets by name and goes there.
if (step == 1) { object_set_parent(obj_child, obj_base); object_event_clear(obj_ticker, 3, 0); }
if (step == 4) { var r; r = room_add();
    room_set_width(r, 400); room_set_caption(r, "Made while playing"); room_instance_add(r, 32.9, 48, obj_guest);
    room_set_code(r, "show_debug_message('room code, width ' + string(room_width));");
    var names, i; names[0] = "obj_guest"; names[1] = "room_start"; names[2] = room_get_name(r); names[3] = "no_such_asset";
    for (i = 0; i < 4; i += 1) show_debug_message(names[i] + ": " + string(asset_get_index(names[i])) + " " + string(asset_get_type(names[i])));
    room_goto(r); } step += 1;
