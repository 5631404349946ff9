// During the step pass (before the movers', the controller's object coming first): frame 3 makes a
// mover on the target, which steps from the next frame; frame 7 destroys the mover far from it.
if (frame == 3) instance_create(90, 100, obj_mover);
if (frame == 7) with (obj_mover) if (x == 0) instance_destroy();
