// One wave: argument0 chasers at the room's corners, and a patrol round the middle.
var i, corner;
ds_map_replace(global.stats, "wave", ds_map_find_value(global.stats, "wave") + 1);
for (i = 0; i < argument0; i += 1) {
    corner = (i + ds_map_find_value(global.stats, "wave")) mod 4;
    instance_create(48 + (corner mod 2) * (room_width - 96) + irandom(40), 48 + (corner div 2) * (room_height - 96)
        + irandom(40), obj_chaser);
}
instance_create(room_width / 2 - 160, room_height / 2 - 120, obj_patrol);
