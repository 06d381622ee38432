#version 120
// The cross-section through the transfer function: the colour and opacity
// of the density at this point of the volume.

uniform sampler3D slices;  // normalised densities 0..1
uniform sampler1D transfer; // 4096 RGBA entries, one per 12-bit density
// The density window shown black to white instead of the transfer table;
// both ends 0 where the table is shown.
uniform vec2 window;
// Where above 0, the texture's extents in texels: each point then shows its
// voxel's own density, unblended (a slice zoomed past a voxel a pixel).
uniform vec3 voxels;

void main()
{
    vec3 at = gl_TexCoord[0].stp;
    if (voxels.x > 0.0)
        at = (floor(at * voxels) + 0.5) / voxels;
    float density = texture3D(slices, at).r;
    if (window.y > window.x) {
        float grey = clamp((density * 4095.0 - window.x) / (window.y - window.x), 0.0, 1.0);
        gl_FragColor = vec4(grey, grey, grey, 1.0);
        return;
    }
    // Density d reads the centre of entry round(d * 4095).
    gl_FragColor = texture1D(transfer, (density * 4095.0 + 0.5) / 4096.0);
}
