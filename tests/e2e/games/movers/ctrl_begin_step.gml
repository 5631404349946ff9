// Frame 5: the movers' own step handler goes and their parent's runs instead; frame 10: without a
// parent they have no step at all.
frame += 1;
if (frame == 5) object_event_clear(obj_mover, ev_step, ev_step_normal);
if (frame == 10) object_set_parent(obj_mover, -1);
