// A pass-through vertex shader in the form the authoring tools write: the position through the
// world-view-projection matrix, the colour and texture coordinate handed on. The matrices sit at
// register c4, so the constant block needs explicit offsets.
uniform float4x4 kv_Matrices[5] : register(c4);
uniform bool kv_LightingEnabled;
uniform bool kv_FogEnabled;
uniform float kv_FogStart;
uniform float kv_FogRange;
uniform float4 kv_LightDirection[8];
uniform float4 kv_LightColour[8];
uniform float4 dx_ViewAdjust;

static float4 in_Position;
static float4 in_Colour;
static float2 in_TextureCoord;
static float4 gl_Position = float4(0.0, 0.0, 0.0, 0.0);
static float4 v_vColour = float4(0.0, 0.0, 0.0, 0.0);
static float2 v_vTexcoord = float2(0.0, 0.0);

float4 vec4(float x, float y, float z, float w) { return float4(x, y, z, w); }
float4 vec4(float3 xyz, float w) { return float4(xyz, w); }
float4 vec4(float4 v) { return v; }

void shader_main()
{
    float4 position = vec4(in_Position.x, in_Position.y, in_Position.z, 1.0);
    if (kv_LightingEnabled) {
        position = vec4(position.xyz + kv_LightDirection[0].xyz * 0.0, 1.0);
    }
    gl_Position = mul(kv_Matrices[4], position);
    v_vColour = vec4(in_Colour);
    if (kv_FogEnabled) {
        v_vColour = vec4(v_vColour.rgb + kv_LightColour[7].rgb * (kv_FogStart * kv_FogRange), v_vColour.a);
    }
    v_vTexcoord = in_TextureCoord;
}

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
    in_Position = input.position;
    in_Colour = input.colour;
    in_TextureCoord = input.texcoord;
    shader_main();
    VS_OUTPUT output;
    output.position = gl_Position + float4(dx_ViewAdjust.xy * gl_Position.w, 0.0, 0.0);
    output.colour = v_vColour;
    output.texcoord = v_vTexcoord;
    return output;
}
