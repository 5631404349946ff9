// A pass-through vertex shader that multiplies the vector first, the form kind 2's transposed
// matrices suit; its built-ins carry another prefix, without the leading underscore.
float4x4 ab_Matrices[5];
struct VO { float4 pos : POSITION; float4 col : TEXCOORD0; float2 uv : TEXCOORD1; };
VO main(float4 pos : POSITION, float4 col : COLOR0, float2 uv : TEXCOORD0)
{
    VO o;
    o.pos = mul(float4(pos.xyz, 1.0), ab_Matrices[4]);
    o.col = col;
    o.uv = uv;
    return o;
}
