// Chasers plan round the walls towards the player.
if (instance_exists(obj_player)) mp_potential_step(obj_player.x, obj_player.y, 2.2, false);
image_angle += 6;
