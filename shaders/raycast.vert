#version 120
// The quad over the whole view; texture coordinate set 0 holds the pixel
// position, in the texel units of the entry and exit textures.
void main()
{
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
}
