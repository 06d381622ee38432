#version 120
#extension GL_ARB_texture_rectangle : require
// Ray casting through the volume. Each pixel's ray runs from its entry to its
// exit point (volume coordinates written by the fbo passes) with a spacing of
// at most one voxel, and is composed by `mode`:
//   0 Composite: front-to-back emission-absorption, headlight-shaded;
//   1 Average: the mean density along the ray, through the transfer table;
//   2 Maximum intensity projection: the largest density, through the table.

uniform sampler3D slices;         // normalised densities 0..1
uniform sampler1D transfer;       // 4096 RGBA entries, one per 12-bit density
uniform sampler2DRect tex_entry;  // ray entry points; alpha 0 where no cube
uniform sampler2DRect tex_exit;   // ray exit points
uniform ivec3 volume_dimension;   // width, height, depth in voxels
uniform int mode;
uniform sampler3D bricks;     // per brick: the largest density one run, two runs from it read
uniform sampler3D brick_runs;  // per brick: runs to leap and to march, Composite's, Average's
uniform ivec3 brick_count;     // bricks along each axis
uniform int brick_size;        // voxels along a brick's side, and samples in a run
uniform bool leaping;          // off: march every sample

// Early ray termination: once this opaque, nothing behind shows.
#define ERT_THRESHOLD 0.99

// Material: a surface facing the viewer shows its transfer colour
// (0.6 x ambient 0.5 + 0.7 x diffuse 1 = 1), plus a white highlight.
const float kAmbient = 0.6;
const float kDiffuse = 0.7;
const float kSpecular = 0.3;
const float kShininess = 24.0;

float densityAt(vec3 position)
{
    return texture3D(slices, position).r;
}

// Density d reads the centre of entry round(d * 4095).
vec4 classify(float density)
{
    return texture1D(transfer, density * (4095.0 / 4096.0) + (0.5 / 4096.0));
}

// Blinn-Phong under a headlight: light and half vector both point back along
// the ray, so N.L = N.H. The normal is the density gradient by central
// differences, taken two-sided since either side of a boundary can face us.
vec3 shade(vec3 color, vec3 position, vec3 voxel, vec3 towardsViewer)
{
    vec3 gradient = vec3(
        densityAt(position + vec3(voxel.x, 0.0, 0.0)) - densityAt(position - vec3(voxel.x, 0.0, 0.0)),
        densityAt(position + vec3(0.0, voxel.y, 0.0)) - densityAt(position - vec3(0.0, voxel.y, 0.0)),
        densityAt(position + vec3(0.0, 0.0, voxel.z)) - densityAt(position - vec3(0.0, 0.0, voxel.z)));
    vec3 ambient = kAmbient * gl_LightSource[0].ambient.rgb;
    vec3 diffuse = kDiffuse * gl_LightSource[0].diffuse.rgb;
    float magnitude = length(gradient);
    if (magnitude < 1e-5)
        return color * (ambient + diffuse); // no surface: lit as if facing us
    float facing = abs(dot(gradient / magnitude, towardsViewer));
    vec3 specular = kSpecular * gl_LightSource[0].specular.rgb * pow(facing, kShininess);
    return min(color * (ambient + diffuse * facing) + specular, 1.0);
}

// A per-pixel offset in 0..1 for the first sample (interleaved gradient
// noise, a hash of the pixel position): without it, the sample planes of
// neighbouring rays line up and show as wood-grain rings.
float jitter()
{
    return fract(52.9829189 * fract(dot(gl_FragCoord.xy, vec2(0.06711056, 0.00583715))));
}

// Empty-space leaping. A sample between voxel centres u and u + 1 (counted
// from the first centre, along each axis) reads only voxels of the brick
// floor(u / brick_size), which holds the next brick's first voxel layer too.
// The rasteriser runs a group of pixels in lock step and executes every
// branch, masked, and a look in a texture costs about as much as a sample:
// so rays go in runs of brick_size samples, the same runs for every pixel,
// and a look in the brick where a run starts says how many runs to leap, or
// how many to march before the next look. A run stays within one brick of
// where it starts, as its samples are at most a voxel apart.
vec3 brickCoordinate(vec3 position)
{
    return (position * vec3(volume_dimension) - 0.5) / float(brick_size);
}

// The brick texel of the run starting at sample s of a ray whose sample 0
// is at brick coordinate `first`, one sample `apart`.
vec4 brickOfRun(sampler3D grid, vec3 first, vec3 apart, float s)
{
    return texture3D(grid, (floor(first + apart * s) + 0.5) / vec3(brick_count));
}

// The largest density along the ray, both ends included. Runs that read no
// density above the largest so far cannot raise it; after a look that finds
// no such run, two runs are marched.
float largestDensity(vec3 start, vec3 stepCoord, int intervals)
{
    vec3 first = brickCoordinate(start);
    vec3 apart = brickCoordinate(start + stepCoord) - first;
    float run = float(brick_size);
    float end = float(intervals) + 1.0;
    float largest = 0.0;
    for (float i = 0.0; i < end;) {
        vec2 reach = leaping ? brickOfRun(bricks, first, apart, i).ra : vec2(2.0);
        float leap = reach.y <= largest ? 2.0 : (reach.x <= largest ? 1.0 : 0.0);
        float runsEnd = min(i + (leap > 0.0 ? leap : 2.0) * run, end);
        if (leap > 0.0)
            i = runsEnd;
        for (; i < runsEnd; i += 1.0)
            largest = max(largest, densityAt(start + stepCoord * i));
    }
    return largest;
}

// Runs to leap (x) and to march (y) from a look at the runs texture, or one
// run to march where leaping is off.
vec2 runsAt(vec3 first, vec3 apart, float s, bool average)
{
    if (!leaping)
        return vec2(0.0, 1.0);
    vec4 runs = floor(brickOfRun(brick_runs, first, apart, s) * 255.0 + 0.5);
    return average ? runs.ba : runs.rg;
}

// The mean density along the ray, both ends included. Runs that read only
// densities of 0 add nothing to the sum but count all the same.
float meanDensity(vec3 start, vec3 stepCoord, int intervals)
{
    vec3 first = brickCoordinate(start);
    vec3 apart = brickCoordinate(start + stepCoord) - first;
    float run = float(brick_size);
    float end = float(intervals) + 1.0;
    float sum = 0.0;
    for (float i = 0.0; i < end;) {
        vec2 runs = runsAt(first, apart, i, true);
        float runsEnd = min(i + max(runs.x, runs.y) * run, end);
        if (runs.x > 0.0)
            i = runsEnd;
        for (; i < runsEnd; i += 1.0)
            sum += densityAt(start + stepCoord * i);
    }
    return sum / end;
}

// Front-to-back emission-absorption with premultiplied colour. The ray
// marches cheaply through samples the table makes transparent and leaves
// that inner loop only to shade a visible one: the rasteriser runs a group
// of pixels in lock step, so the costly shading must not sit in every step.
// It leaps over runs that read only densities the table makes transparent.
vec4 composite(vec3 start, vec3 stepCoord, int intervals, float lengthVoxels, vec3 rayVoxels)
{
    // Table opacities hold for one-voxel steps; a shorter step lets through
    // more: a = 1 - (1 - a_table)^(spacing / 1 voxel).
    float spacing = lengthVoxels / float(intervals);
    vec3 voxel = 1.0 / vec3(volume_dimension);
    vec3 towardsViewer = lengthVoxels > 0.0 ? -rayVoxels / lengthVoxels : vec3(0.0, 0.0, 1.0);
    float offset = jitter();
    vec3 first = brickCoordinate(start + stepCoord * offset);
    vec3 apart = brickCoordinate(start + stepCoord * (1.0 + offset)) - first;
    float run = float(brick_size);
    float end = floor(float(intervals) - offset) + 1.0; // samples t + offset, t < end
    float runsEnd = 0.0;
    vec4 sum = vec4(0.0);
    float t = 0.0;
    // Each pass shades one sample, so intervals + 1 passes cover the ray.
    for (int shaded = 0; shaded <= intervals; ++shaded) {
        vec3 position = start;
        vec4 sampleColor = vec4(0.0);
        while (t < end) {
            for (; t < runsEnd; t += 1.0) {
                position = start + stepCoord * (t + offset);
                sampleColor = classify(densityAt(position));
                if (sampleColor.a > 0.0)
                    break;
            }
            if (t < runsEnd)
                break; // a visible sample
            vec2 runs = runsAt(first, apart, t, false);
            runsEnd = min(t + max(runs.x, runs.y) * run, end);
            if (runs.x > 0.0)
                t = runsEnd;
        }
        if (t >= end)
            break;
        float alpha = 1.0 - pow(1.0 - sampleColor.a, spacing);
        vec3 color = shade(sampleColor.rgb, position, voxel, towardsViewer);
        sum.rgb += (1.0 - sum.a) * alpha * color;
        sum.a += (1.0 - sum.a) * alpha;
        if (sum.a > ERT_THRESHOLD)
            break;
        t += 1.0;
    }
    return sum;
}

void main()
{
    vec4 entry = texture2DRect(tex_entry, gl_TexCoord[0].st);
    if (entry.a == 0.0) {
        gl_FragColor = vec4(0.0);
        return;
    }
    vec3 start = entry.rgb;
    vec3 end = texture2DRect(tex_exit, gl_TexCoord[0].st).rgb;
    vec3 rayVoxels = (end - start) * vec3(volume_dimension);
    float lengthVoxels = length(rayVoxels);
    // Both ends are samples, at most one voxel apart.
    int intervals = int(max(ceil(lengthVoxels), 1.0));
    vec3 stepCoord = (end - start) / float(intervals);

    if (mode == 0) {
        gl_FragColor = composite(start, stepCoord, intervals, lengthVoxels, rayVoxels);
    } else {
        vec4 color = classify(mode == 1 ? meanDensity(start, stepCoord, intervals)
                                        : largestDensity(start, stepCoord, intervals));
        gl_FragColor = vec4(color.rgb * color.a, color.a);
    }
}
