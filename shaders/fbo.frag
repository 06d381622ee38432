#version 120
// Writes the surface point's volume coordinate: the ray entry point for the
// faces towards the viewer, the exit point for those turned away. Alpha 1
// marks the pixels the cube covers.

varying vec3 volumeCoord;

void main()
{
    gl_FragColor = vec4(volumeCoord, 1.0);
}
