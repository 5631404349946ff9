// A pass-through vertex shader as the authoring tools write it for kinds 1 and 2: a header under a
// prefix of their own (nothing reads it) and the translated body, which declares the matrices again,
// bound, and multiplies matrix first: the position by world x view x projection, an object-space
// place by the world matrix and a normal by world x view, as the tools' bodies do.
uniform float4x4 zq_Matrices[5] : register(c0);
uniform bool zq_LightingEnabled;
uniform float zq_FogStart;
uniform float4 zq_AmbientColour;
uniform float3 zq_LightDirection[8];

uniform float4x4 _zq_Matrices[5] : register(c29);

struct VS_INPUT {
    float4 position : POSITION;
    float4 colour : COLOR0;
    float2 texcoord : TEXCOORD0;
};

struct VS_OUTPUT {
    float4 position : POSITION;
    float4 colour : TEXCOORD0;
    float2 texcoord : TEXCOORD1;
    float4 world : TEXCOORD2;
};

VS_OUTPUT main(VS_INPUT input)
{
    float4 pos = float4(input.position.xyz, 1.0);
    float4 objectspacepos = pos;
    float4 normal4 = float4(0.0, 0.0, 1.0, 0.0);
    VS_OUTPUT output;
    output.position = mul((_zq_Matrices[4]), pos);
    output.world = mul((_zq_Matrices[2]), objectspacepos) + mul((_zq_Matrices[3]), normal4) * 0.0;
    output.colour = input.colour;
    output.texcoord = input.texcoord;
    return output;
}
