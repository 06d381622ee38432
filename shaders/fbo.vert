#version 120
// A corner of the proxy cube, turned by the view's rotation. The cube spans
// -1..1 on every axis once multiplied by `scale`, so (p * scale + 1) / 2 is
// the point's volume coordinate in 0..1.

uniform vec3 scale;
varying vec3 volumeCoord;

void main()
{
    volumeCoord = (gl_Vertex.xyz * scale + 1.0) * 0.5;
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
}
