// A pass-through fragment shader in the form the authoring tools write: the base texture by the
// vertex colour, with an alpha test of its own that the game leaves off.
uniform sampler2D kv_BaseTexture : register(s0);
uniform bool kv_AlphaTestEnabled;
uniform float4 kv_AlphaTestRef;
uniform float4 kv_FogColour;

static float4 v_vColour = float4(0.0, 0.0, 0.0, 0.0);
static float2 v_vTexcoord = float2(0.0, 0.0);
static float4 gl_FragColor[1] = { float4(0.0, 0.0, 0.0, 0.0) };

float4 texture2D(sampler2D s, float2 uv) { return tex2D(s, uv); }

void shader_main()
{
    float4 colour = v_vColour * texture2D(kv_BaseTexture, v_vTexcoord);
    if (kv_AlphaTestEnabled) {
        if (colour.a <= kv_AlphaTestRef.x) {
            discard;
        }
    }
    gl_FragColor[0] = lerp(colour, kv_FogColour, 0.0);
}

struct PS_INPUT {
    float4 colour : TEXCOORD0;
    float2 texcoord : TEXCOORD1;
};

struct PS_OUTPUT {
    float4 colour : COLOR0;
};

PS_OUTPUT main(PS_INPUT input)
{
    v_vColour = input.colour;
    v_vTexcoord = input.texcoord;
    shader_main();
    PS_OUTPUT output;
    output.colour = gl_FragColor[0];
    return output;
}
