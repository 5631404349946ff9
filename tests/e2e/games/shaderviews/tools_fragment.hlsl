// The fragment half: the tools' header sampler (never read) and the body's own, both at s0.
uniform sampler2D zq_BaseTexture : register(s0);
uniform bool zq_AlphaTestEnabled;

uniform sampler2D _zq_BaseTexture : register(s0);

struct PS_INPUT {
    float4 colour : TEXCOORD0;
    float2 texcoord : TEXCOORD1;
};

float4 main(PS_INPUT input) : COLOR0
{
    return input.colour * tex2D(_zq_BaseTexture, input.texcoord);
}
