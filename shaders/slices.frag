#version 120
// The cross-section through the transfer function: the colour and opacity
// of the density at this point of the volume.

uniform sampler3D slices;  // normalised densities 0..1
uniform sampler1D transfer; // 4096 RGBA entries, one per 12-bit density
// The density window shown black to white instead of the transfer table;
// both ends 0 where the table is shown.
uniform vec2 window;

void main()
{
    float density = texture3D(slices, gl_TexCoord[0].stp).r;
    if (window.y > window.x) {
        float grey = clamp((density * 4095.0 - window.x) / (window.y - window.x), 0.0, 1.0);
        gl_FragColor = vec4(grey, grey, grey, 1.0);
        return;
    }
    // Density d reads the centre of entry round(d * 4095).
    gl_FragColor = texture1D(transfer, (density * 4095.0 + 0.5) / 4096.0);
}
