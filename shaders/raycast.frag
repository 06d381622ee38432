#version 120
#extension GL_ARB_texture_rectangle : require
// Ray casting through the volume. Each pixel's ray runs from its entry to its
// exit point (volume coordinates written by the fbo passes) with a spacing of
// at most `sample_distance` voxels, and is composed by `mode`:
//   0 Composite: front-to-back emission-absorption, headlight-shaded;
//   1 Average: the mean density along the ray, through the transfer table;
//   2 Maximum intensity projection: the largest density, through the table.
// The projections take densities above the table's densest control point as
// that point's entry (table_top), so that the densest voxels are the
// brightest; Composite draws the window's range.

uniform sampler3D slices;         // normalised densities 0..1
uniform sampler1D transfer;       // 4096 RGBA entries, one per 12-bit density
uniform sampler2D jitter_tile;    // 64 x 64 pixels of blue noise, repeated over the view
uniform float jitter_offset;      // added to the tile's offsets, mod 1: a refining frame's share
uniform sampler3D gradients_xy;   // per voxel its gradient's direction, x and y (see gradientAt)
uniform sampler3D gradients_z;    // and z
uniform sampler2DRect tex_entry;  // ray entry points; alpha 0 where no cube
uniform sampler2DRect tex_exit;   // ray exit points
uniform ivec3 volume_dimension;   // width, height, depth in voxels
uniform int mode;
uniform sampler3D bricks;     // per brick: the largest density one run, two runs from it read
uniform sampler3D brick_runs;  // per brick: runs to leap and to march (see compositeRuns)
uniform ivec3 brick_count;     // bricks along each axis
uniform int brick_size;        // voxels along a brick's side, and the most a run spans
uniform bool leaping;          // off: march every sample
uniform sampler3D cells;       // per cell: 1 where the table may show a density its range holds
uniform ivec3 cell_count;      // cells along each axis
uniform int cell_size;         // voxels along a cell's side
uniform float cell_reach;      // voxels a cell's range reaches beyond it on every side
uniform vec3 box_low;          // rays march only through this box (volume coordinates),
uniform vec3 box_high;         // where samples read bricks that can show
uniform float sample_distance;  // voxels between samples: 1; less for a converged reference
uniform int cut_axis;          // the volume coordinate a cut fixes (0 x, 1 y, 2 z), or -1
uniform float cut_position;    // where it cuts, as a volume coordinate
uniform vec2 cut_window;       // the cut face black to white over this density window; (0, 0):
                               // through the transfer table
uniform float steep_span;       // densities closer than this never have a surface between them
uniform float table_top;       // a density 0..1 denser samples are classified as: for the
                               // projections the densest point's, for a cut face the window's top
// PROBE: what to compute, for measuring where a frame's time goes and for checking
// the gradient textures: 0 the picture, 1 the picture unshaded, 2 nothing
// (the entry and exit passes alone), 3 the samples marched and shaded (red +
// 256 green, blue + 256 alpha, in 255ths), 4 the picture shaded from density
// reads at every step. GRADIENTS_FROM_DENSITIES, defined, shades from density
// reads: the view's still frames, and every frame where the gradient textures
// do not hold the volume. The view compiles both in
// (#defines after the first line), as the rasteriser would run every branch
// of a uniform's choice.
#ifndef PROBE
#define PROBE 0
#endif

// Early ray termination: once this opaque, nothing behind shows.
#define ERT_THRESHOLD 0.99

// Each sample stands for the step centred on it. Where the table's opacity
// for the densities of a visible sample, of the one before it and halfway
// between them spans more than STEEP_CHANGE, a sharp table's surface lies
// between the two: their steps are marched again in STEEP_SUBSTEPS, so that
// the surface is placed and shaded within an eighth of a step of where it
// lies, not at the next sample. The densities decide, not the two samples'
// opacities alone: those would pick out the rays whose samples happen to hit
// a thin layer's peak and leave those that straddle it, and the picture
// would lose on average what it gained. The view defines STEEP_CHANGE, and
// STEEP_MARCH 1 for a table sharp enough to look for surfaces at all, and
// CELL_MARCH 1 where such a table's samples lie closer than a cell's reach
// (see composite).
#define STEEP_SUBSTEPS 8.0

// Material under light 0 (ambient 0.5, diffuse and specular 1): ambient 0.2,
// diffuse 0.6 and a white highlight of 0.2 at exponent 10. They add up to 1
// on a surface facing the viewer, so a white table never clips lit surfaces
// to white and their shape shows.
const float kAmbient = 0.4;
const float kDiffuse = 0.6;
const float kSpecular = 0.2; // at exponent 10, multiplied out in shade()

// Samples marched and shaded along the ray, for PROBE 3.
float marched = 0.0;
float shaded = 0.0;

// Samples in a run of the brick walk: as many as span brick_size voxels at
// most, so that a run never reaches beyond a brick, and leaps as far at
// short steps as at one voxel.
float runSamples = 1.0;

float densityAt(vec3 position)
{
    return texture3D(slices, position).r;
}

// Density d reads the centre of entry round(d * 4095).
vec4 classify(float density)
{
    return texture1D(transfer, density * (4095.0 / 4096.0) + (0.5 / 4096.0));
}

// The density's gradient at `position`, as far as shading needs it: its
// direction. The textures hold every voxel's central differences over two
// voxels, as a direction times the length to the power 2/3, 8 bits an axis
// (128 + 127 v): two looks. Otherwise the central differences of the
// interpolated densities, exact: six reads.
vec3 gradientAt(vec3 position, vec3 voxel)
{
#if defined(GRADIENTS_FROM_DENSITIES)
    return vec3(
        densityAt(position + vec3(voxel.x, 0.0, 0.0)) - densityAt(position - vec3(voxel.x, 0.0, 0.0)),
        densityAt(position + vec3(0.0, voxel.y, 0.0)) - densityAt(position - vec3(0.0, voxel.y, 0.0)),
        densityAt(position + vec3(0.0, 0.0, voxel.z)) - densityAt(position - vec3(0.0, 0.0, voxel.z)));
#else
    vec3 texel = vec3(texture3D(gradients_xy, position).ra, texture3D(gradients_z, position).r);
    return (texel * 255.0 - 128.0) / 127.0;
#endif
}

// Blinn-Phong under a headlight: light and half vector both point back along
// the ray, so N.L = N.H. The normal is the density gradient, taken two-sided
// since either side of a boundary can face us.
vec3 shade(vec3 color, vec3 gradient, vec3 towardsViewer)
{
    vec3 ambient = kAmbient * gl_LightSource[0].ambient.rgb;
    vec3 diffuse = kDiffuse * gl_LightSource[0].diffuse.rgb;
    float magnitude = length(gradient);
    if (magnitude < 1e-5)
        return color * (ambient + diffuse); // no surface: lit as if facing us
    float facing = abs(dot(gradient / magnitude, towardsViewer));
    float facing2 = facing * facing, facing5 = facing2 * facing2 * facing;
    vec3 specular = kSpecular * gl_LightSource[0].specular.rgb * (facing5 * facing5); // ^10
    return min(color * (ambient + diffuse * facing) + specular, 1.0);
}

// A per-pixel offset in 0..1 for the first sample: without it, the sample
// planes of neighbouring rays line up and show as wood-grain rings. Blue
// noise: every offset equally often, neighbours far apart, no lattice and no
// low frequencies, so that the error of a sample that is off averages out
// over the pixels around it; the same for the same view.
float jitter()
{
    return fract(texture2D(jitter_tile, gl_FragCoord.xy / 64.0).r * (255.0 / 256.0) + 0.5 / 256.0 +
                 jitter_offset);
}

// Empty-space leaping. A sample between voxel centres u and u + 1 (counted
// from the first centre, along each axis) reads only voxels of the brick
// floor(u / brick_size), which holds the next brick's first voxel layer too.
// The rasteriser runs a group of pixels in lock step and executes every
// branch, masked, and a look in a texture costs about as much as a sample:
// so rays go in runs of samples, the same runs for every pixel,
// and a look in the brick where a run starts says how many runs to leap, or
// how many to march before the next look. A run stays within one brick of
// where it starts: it spans at most brick_size voxels (runSamples).
vec3 brickCoordinate(vec3 position)
{
    return (position * vec3(volume_dimension) - 0.5) / float(brick_size);
}

// Whether the table may show a sample within cell_reach voxels of
// `position` along every axis: such a sample reads only voxels of the range
// of the cell `position` lies in. Beyond the volume's faces the texture's
// edge holds the cell whose range those samples read.
bool cellShows(vec3 position)
{
    vec3 cell = floor((position * vec3(volume_dimension) - 0.5) / float(cell_size));
    return texture3D(cells, (cell + 0.5) / vec3(cell_count)).r > 0.5;
}

// The samples s = first, first + 1, ... of a ray, s < end, at start + step
// * s; and the brick coordinate of sample 0 and the step between samples in
// bricks.
struct Ray {
    vec3 start;
    vec3 step;
    float first;
    float end;
    vec3 firstBrick;
    vec3 brickStep;
};

// The samples from 0 to `end` that lie in the box where samples can show:
// outside it every sample reads only bricks that cannot change the picture,
// so the ray starts at the box's near face and stops after its far one,
// for a sharp table one sample later: the first sample beyond may end a
// steep step. A hundredth of a sample to spare on each side absorbs
// rounding; the box is widened by a hair, so that a ray in the plane of one
// of its faces (an edge pixel of an unturned view) runs inside it.
Ray makeRay(vec3 start, vec3 step, float end)
{
    vec3 firstBrick = brickCoordinate(start);
    vec3 along = vec3(abs(step.x) < 1e-12 ? 1e-12 : step.x, abs(step.y) < 1e-12 ? 1e-12 : step.y,
                      abs(step.z) < 1e-12 ? 1e-12 : step.z);
    vec3 a = (box_low - 1e-5 - start) / along, b = (box_high + 1e-5 - start) / along;
    vec3 near = min(a, b), far = max(a, b);
    float enter = max(max(near.x, near.y), near.z), leave = min(min(far.x, far.y), far.z);
    return Ray(start, step, max(floor(enter - 0.01), 0.0),
               min(floor(leave + 0.01) + 1.0 + float(STEEP_MARCH), end),
               firstBrick, brickCoordinate(start + step) - firstBrick);
}

// The texel of `grid` for the brick where the run from sample s starts.
vec4 brickOfRun(sampler3D grid, Ray ray, float s)
{
    return texture3D(grid, (floor(ray.firstBrick + ray.brickStep * s) + 0.5) / vec3(brick_count));
}

// A runs texel's channels, as the view packs them: Composite's runs to leap
// and to march, then Average's, in 255ths.
vec2 compositeRuns(vec4 runs) { return floor(runs.rg * 255.0 + 0.5); }
vec2 averageRuns(vec4 runs) { return floor(runs.ba * 255.0 + 0.5); }

// Runs to leap (x) and to march (y) from the run at sample s. Composite and
// Average read the runs texture: runs their table makes transparent, runs of
// zeros. MIP leaps runs whose bricks (and neighbours) hold no density above
// `largest`, the maximum so far, and marches two runs where it cannot.
vec2 runsFrom(Ray ray, float s, float largest)
{
    if (!leaping)
        return vec2(0.0, 1.0);
    if (mode == 2) {
        vec2 reach = brickOfRun(bricks, ray, s).ra;
        float leap = reach.y <= largest ? 2.0 : (reach.x <= largest ? 1.0 : 0.0);
        return leap > 0.0 ? vec2(leap, 0.0) : vec2(0.0, 2.0);
    }
    vec4 runs = brickOfRun(brick_runs, ray, s);
    return mode == 1 ? averageRuns(runs) : compositeRuns(runs);
}

// The run loop of every mode: where the runs to march end (runsEnd), at
// sample s, a look leaps the runs the bricks allow and says where the next
// runs to march end; each mode marches the samples up to there in a tight
// loop of its own, with no look inside.
void lookAhead(Ray ray, inout float s, inout float runsEnd, float largest)
{
    vec2 runs = runsFrom(ray, s, largest);
    runsEnd = min(s + max(runs.x, runs.y) * runSamples, ray.end);
    if (runs.x > 0.0)
        s = runsEnd;
}

// The largest density along the ray, both ends included.
float largestDensity(Ray ray)
{
    float s = ray.first, runsEnd = s, largest = 0.0;
    while (s < ray.end) {
        lookAhead(ray, s, runsEnd, largest);
        for (; s < runsEnd; s += 1.0) {
            largest = max(largest, densityAt(ray.start + ray.step * s));
            marched += 1.0;
        }
    }
    return largest;
}

// The mean density over the `count` samples of the ray, both ends included:
// leapt runs and the samples outside the box hold only zeros, which add
// nothing to the sum but count all the same.
float meanDensity(Ray ray, float count)
{
    float s = ray.first, runsEnd = s, sum = 0.0;
    while (s < ray.end) {
        lookAhead(ray, s, runsEnd, 0.0);
        for (; s < runsEnd; s += 1.0) {
            sum += densityAt(ray.start + ray.step * s);
            marched += 1.0;
        }
    }
    return sum / count;
}

// Where the ray enters through the face of a cut, the slice there, as the
// slices show it, premultiplied: the first layer of what the ray composes.
// The entry points hold 8 bits a coordinate, hence the tolerance.
vec4 cutFace(vec3 start)
{
    if (cut_axis < 0)
        return vec4(0.0);
    float along = cut_axis == 0 ? start.x : (cut_axis == 1 ? start.y : start.z);
    if (abs(along - cut_position) > 0.6 / 255.0)
        return vec4(0.0);
    vec3 onFace = vec3(cut_axis == 0 ? cut_position : start.x,
                       cut_axis == 1 ? cut_position : start.y,
                       cut_axis == 2 ? cut_position : start.z);
    float density = densityAt(onFace);
    if (cut_window.y > cut_window.x) {
        float grey = clamp((density * 4095.0 - cut_window.x) / (cut_window.y - cut_window.x), 0.0, 1.0);
        return vec4(grey, grey, grey, 1.0);
    }
    vec4 color = classify(min(density, table_top));
    return vec4(color.rgb * color.a, color.a);
}

// Front-to-back emission-absorption with premultiplied colour. The ray
// marches cheaply through samples the table makes transparent and leaves
// that inner loop only to shade a visible one, or to look at the clear one
// after it: the rasteriser runs a group of pixels in lock step, so the
// costly shading must not sit in every step. For the same reason the fine
// march of a steep step is a loop, which a group runs only while one of its
// rays needs it, and shares the shading with the plain sample.
// `offset` is the ray's jitter.
vec4 composite(Ray ray, float spacing, vec3 towardsViewer, vec4 sum, float offset)
{
    vec3 voxel = 1.0 / vec3(volume_dimension);
    if (sum.a > ERT_THRESHOLD)
        return sum;
    float s = ray.first, runsEnd = s;
    // The last sample looked at, its table opacity, whether its step was
    // marched finely, and the sum before it: every other sample is clear.
    float last = -2.0, lastOpacity = 0.0;
    bool lastSteep = false;
    vec4 sumBeforeLast = sum;
    // The density of sample `before`, the one before s where it was read.
    float density = 0.0, densityBefore = 0.0, before = -2.0;
    // Where the substeps sample their parts: varied as the offset is, and
    // over the frames that refine a still one (offsets k / 16 apart, and 9
    // prime to 16) as evenly, each frame at another sixteenth of a substep.
    float phase = fract(offset * (STEEP_SUBSTEPS + 1.0));
    // CELL_MARCH: where samples lie closer than a cell's reach, a look at
    // the cell of sample s + reach vouches for the samples from s to s +
    // 2 reach, which the march passes unread where the cell hides them. The
    // looks sit beside the brick looks, outside the loop over samples, which
    // the rasteriser would run through every branch of. The sample after a
    // shown one is read alone: it may end a steep step.
    float reach = leaping ? floor((cell_reach - 0.01) / sample_distance) : 0.0;
    float marchEnd = s; // where the samples marched without a look end
    // Each pass looks at one sample, so ray.end passes cover the ray.
    for (float pass = 0.0; pass < ray.end; pass += 1.0) {
        vec3 position = ray.start;
        vec4 sampleColor = vec4(0.0);
        while (s < ray.end) {
            for (; s < marchEnd; s += 1.0) {
                position = ray.start + ray.step * s;
                marched += 1.0;
                density = densityAt(position);
                sampleColor = classify(density);
                if (sampleColor.a > 0.0 || (STEEP_MARCH == 1 && s == last + 1.0))
                    break;
                densityBefore = density;
                before = s;
            }
            if (s < marchEnd)
                break; // a visible sample, or the one after
#if CELL_MARCH == 1
            if (s >= runsEnd)
                lookAhead(ray, s, runsEnd, 0.0);
            marchEnd = runsEnd;
            if (reach >= 1.0 && s < runsEnd) {
                if (s == last + 1.0) {
                    marchEnd = s + 1.0;
                } else {
                    marchEnd = min(s + 2.0 * reach + 1.0, runsEnd);
                    marched += 1.0;
                    if (!cellShows(ray.start + ray.step * (s + reach)))
                        s = marchEnd;
                }
            }
#else
            lookAhead(ray, s, runsEnd, 0.0);
            marchEnd = runsEnd;
#endif
        }
        if (s >= ray.end)
            break;
        // Table opacities hold for one-voxel steps; a shorter step lets
        // through more: a = 1 - (1 - a_table)^(spacing / 1 voxel).
        float alpha = 1.0 - pow(1.0 - sampleColor.a, spacing);
        bool afterLast = s == last + 1.0;
        // The ray's first sample has none before it to differ from; after a
        // leap, the sample before was not read. Densities closer than the
        // table's steep span need no look at the table.
        bool steep = false;
        if (STEEP_MARCH == 1 && s > 0.0) {
            if (before != s - 1.0)
                densityBefore = densityAt(ray.start + ray.step * (s - 1.0));
            if (abs(density - densityBefore) >= steep_span) {
                float opacity = sampleColor.a, opacityBefore = afterLast ? lastOpacity : 0.0;
                float opacityBetween = classify(0.5 * (density + densityBefore)).a;
                steep = max(max(opacity, opacityBefore), opacityBetween) -
                            min(min(opacity, opacityBefore), opacityBetween) >
                        STEEP_CHANGE;
            }
        }
        // A steep step is marched from the step of the sample before, unless
        // that was marched finely already; that sample undone where it was
        // added. Its substeps are composed front to back on their own, as one
        // sample, shaded once, at their centre of opacity, where the surface
        // lies.
        float from = s - 1.5;
        if (steep && afterLast && lastSteep)
            from = s - 0.5;
        else if (steep && afterLast)
            sum = sumBeforeLast;
        float part = (s + 0.5 - from) / STEEP_SUBSTEPS, exponent = spacing * part;
        vec4 fine = vec4(0.0);
        float surface = 0.0;
        for (float j = steep ? 0.0 : STEEP_SUBSTEPS; j < STEEP_SUBSTEPS; j += 1.0) {
            float at = from + part * (j + phase);
            vec4 substepColor = classify(densityAt(ray.start + ray.step * at));
            float substepAlpha = (1.0 - fine.a) * (1.0 - pow(1.0 - substepColor.a, exponent));
            fine += vec4(substepAlpha * substepColor.rgb, substepAlpha);
            surface += substepAlpha * at;
            marched += 1.0;
        }
        vec3 color = sampleColor.rgb;
        if (steep) {
            alpha = fine.a;
            color = fine.rgb / max(fine.a, 1e-6);
            position = ray.start + ray.step * (surface / max(fine.a, 1e-6));
        }
#if PROBE != 1
        color = shade(color, gradientAt(position, voxel), towardsViewer);
#endif
        shaded += alpha > 0.0 ? 1.0 : 0.0;
        last = alpha > 0.0 || steep ? s : -2.0;
        lastOpacity = sampleColor.a;
        lastSteep = steep;
        densityBefore = density;
        before = s;
        sumBeforeLast = sum;
        sum += (1.0 - sum.a) * vec4(color * alpha, alpha);
        if (sum.a > ERT_THRESHOLD)
            break;
        s += 1.0;
    }
    return sum;
}

vec4 sampleCounts()
{
    return vec4(mod(marched, 256.0), floor(marched / 256.0), mod(shaded, 256.0),
                floor(shaded / 256.0)) / 255.0;
}

void main()
{
    vec4 entry = texture2DRect(tex_entry, gl_TexCoord[0].st);
    if (entry.a == 0.0 || PROBE == 2) {
        gl_FragColor = vec4(0.0);
        return;
    }
    vec3 start = entry.rgb;
    vec3 end = texture2DRect(tex_exit, gl_TexCoord[0].st).rgb;
    vec3 rayVoxels = (end - start) * vec3(volume_dimension);
    float lengthVoxels = length(rayVoxels);
    // Both ends are samples, at most sample_distance voxels apart.
    int intervals = int(max(ceil(lengthVoxels / sample_distance), 1.0));
    vec3 step = (end - start) / float(intervals);
    float spacing = lengthVoxels / float(intervals);
    runSamples = max(floor(float(brick_size) / max(spacing, 1e-6)), 1.0);

    if (mode == 0) {
        // Samples at t + offset, t = 0, 1, ...: those before the exit point.
        float offset = jitter();
        Ray ray = makeRay(start + step * offset, step, floor(float(intervals) - offset) + 1.0);
        vec3 towardsViewer =
            lengthVoxels > 0.0 ? -rayVoxels / lengthVoxels : vec3(0.0, 0.0, 1.0);
        gl_FragColor = composite(ray, spacing, towardsViewer, cutFace(start), offset);
    } else {
        float count = float(intervals) + 1.0;
        Ray ray = makeRay(start, step, count);
        float density = mode == 1 ? meanDensity(ray, count) : largestDensity(ray);
        vec4 color = classify(min(density, table_top));
        gl_FragColor = vec4(color.rgb * color.a, color.a);
    }
    if (PROBE == 3)
        gl_FragColor = sampleCounts();
}
