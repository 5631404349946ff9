var own, base, hit_sum;
own = 0;
base = 0;
hit_sum = 0;
with (obj_mover) {
    own += own_steps;
    base += base_steps;
    hit_sum += hits;
}
show_debug_message("movers " + string(instance_number(obj_mover)) + " own " + string(own) + " base " + string(base)
    + " hits " + string(hit_sum) + " gone " + global.gone);
