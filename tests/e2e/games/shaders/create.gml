// The scene goes through the pass-through shader on even frames and through the shader with the
// tools' header on odd ones. The header's constants are never read: none is in its uniform table.
sh_header = 2; // its index in the shader chunk
pic = -1;
white = -1;
frames = 0;
show_debug_message("header " + string(shader_get_uniform(sh_header, "kv_LightingEnabled")) + " "
    + string(shader_get_uniform(sh_header, "kv_FogStart")) + " " + string(shader_get_uniform(sh_header, "kv_AmbientColour")) + " "
    + string(shader_get_uniform(sh_header, "kv_LightDirection")) + " " + string(shader_get_uniform(sh_header, "kv_LightPosRange")) + " "
    + string(shader_get_uniform(sh_header, "kv_LightColour")) + " " + string(shader_get_uniform(sh_header, "kv_AlphaTestEnabled")) + " "
    + string(shader_get_uniform(sh_header, "kv_FogColour")) + ", sampler " + string(shader_get_sampler_index(sh_header, "kv_BaseTexture"))
    + ", matrices " + string(shader_get_uniform(sh_header, "kv_Matrices") >= 0));
// The body's constants, each written in turn with these values (vertex ones first).
names[0] = "u_Red"; a[0] = 1; b[0] = 0; c[0] = 0;
names[1] = "u_Green"; a[1] = 0; b[1] = 1; c[1] = 0;
names[2] = "u_Blue"; a[2] = 1; b[2] = 0; c[2] = 0;
names[3] = "u_Lift"; a[3] = 1; b[3] = 0; c[3] = 0;
names[4] = "u_First"; a[4] = 0; b[4] = 1; c[4] = 1;
names[5] = "u_Second"; a[5] = 1; b[5] = 0; c[5] = 1;
names[6] = "u_Third"; a[6] = 0.5; b[6] = 0.5; c[6] = 0.5;
names[7] = "u_Fade"; a[7] = 1; b[7] = 0; c[7] = 0;
names[8] = "u_Flip"; a[8] = 1; b[8] = 0; c[8] = 0;
names[9] = "u_Glow"; a[9] = 0; b[9] = 0.5; c[9] = 1;
names[10] = "u_Boost"; a[10] = 0.5; b[10] = 0; c[10] = 0;
names[11] = "u_Mono"; a[11] = 1; b[11] = 0; c[11] = 0;
names[12] = "u_Shift"; a[12] = 0.25; b[12] = 1; c[12] = 0.5;
