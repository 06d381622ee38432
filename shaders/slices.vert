#version 120
// One corner of the slice quad; texture coordinate set 0 holds its volume
// coordinate (s, t, r).
void main()
{
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
}
