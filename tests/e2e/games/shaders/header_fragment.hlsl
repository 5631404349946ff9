// A fragment shader as the tools write it: their header (a sampler at s0 and two constants, never
// read) in front of the game's own shader, whose sampler is at s0 too.
uniform sampler2D kv_BaseTexture : register(s0);
uniform bool kv_AlphaTestEnabled;
uniform float4 kv_FogColour;

uniform sampler2D _kv_BaseTexture : register(s0);
uniform float4 _u_Glow : register(c3);
uniform float _u_Boost : register(c4);
uniform bool _u_Mono : register(c5);
uniform float4 _u_Shift : register(c6);

struct PS_INPUT {
    float4 colour : TEXCOORD0;
    float2 texcoord : TEXCOORD1;
};

float4 main(PS_INPUT input) : COLOR0
{
    float4 colour = input.colour * tex2D(_kv_BaseTexture, input.texcoord) + _u_Glow + _u_Shift +
                    float4(0.0, _u_Boost, _u_Boost, 0.0);
    if (_u_Mono) colour.rgb = float3(0.25, 0.25, 0.25);
    return colour;
}
