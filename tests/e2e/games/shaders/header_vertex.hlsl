// A vertex shader as the tools write it: their header of constants in front of the game's own
// shader. Nothing reads the header's constants, and its matrices are bound over the registers of
// the body's first ones.
uniform float4x4 kv_Matrices[5] : register(c0);
uniform bool kv_LightingEnabled;
uniform float kv_FogStart;
uniform float4 kv_AmbientColour;
uniform float3 kv_LightDirection[8];
uniform float4 kv_LightPosRange[8];
uniform float4 kv_LightColour[8];

// The body declares its own constants, each bound; at 0 they leave the picture as it is, and each
// one written adds to the colour.
uniform float4 _u_Red : register(c1);
uniform float4 _u_Green : register(c2);
uniform float _u_Blue : register(c3);
uniform bool _u_Lift : register(c4);
uniform float4 _u_First[8] : register(c5);
uniform float4 _u_Second[8] : register(c13);
uniform float4 _u_Third[8] : register(c21);
uniform float4x4 _kv_Matrices[5] : register(c29);
uniform float _u_Fade : register(c49);
uniform bool _u_Flip : register(c50);

struct VS_INPUT {
    float4 position : POSITION;
    float4 colour : COLOR0;
    float2 texcoord : TEXCOORD0;
};

struct VS_OUTPUT {
    float4 position : POSITION;
    float4 colour : TEXCOORD0;
    float2 texcoord : TEXCOORD1;
};

VS_OUTPUT main(VS_INPUT input)
{
    float4 added = _u_Red + _u_Green + float4(0.0, 0.0, _u_Blue, 0.0) + _u_First[0] + _u_Second[0] + _u_Third[0] +
                   float4(_u_Fade, _u_Fade * 0.5, 0.0, 0.0);
    if (_u_Lift) added += float4(1.0, 1.0, 0.0, 0.0);
    if (_u_Flip) added += float4(0.5, 0.0, 1.0, 0.0);
    VS_OUTPUT output;
    output.position = mul(_kv_Matrices[4], float4(input.position.xyz, 1.0));
    output.colour = input.colour + added;
    output.texcoord = input.texcoord;
    return output;
}
