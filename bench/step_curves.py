#!/usr/bin/env python3
"""Time against error: Kastra and the peer's GPU and CPU ray casters at equal picture.

For each volume, renders one view (unturned, or turned --turn degrees; 700 x 500; shaded Composite with the peer's
default ramp, or with --table bone a sharp table that shows bone as an opaque white surface:
clear up to 30 % of the 12-bit range, opaque from 40 % on; or with --mode mip the maximum
intensity projection, grey = density) at several sample distances with kastra-bench-steps and
with the peer (../shared/peer/vtk_peer.py; --kastra-only leaves it out), and takes each
picture's error against that renderer's own converged picture (an eighth of a voxel): the rms
over the pixels either picture shows and the rms of 3 x 3 means, in 8-bit units. The time is
the median ms (--statistic min: the shortest) of frames turned one degree each.

With --refine (Composite) Kastra's still frame at each of its distances is refined too, and
the pictures after 1, 2, 4, 8 and 16 of the refinement's frames make curves of their own, one
per distance, "Kastra refined", timed by the ms of all those frames together (each timed once, so
--statistic does not apply to them); Kastra's converged picture is then the eighth-voxel picture
refined by 16 frames, without the grain of its own jitter (the peer's march has none).

Prints a table, Kastra's errors at distances 1 and 0.15, the ratios at the peers' one-voxel
errors (Kastra's time there the lower of its plain and refined curves, the report says which),
one JSON line, and draws the curves into a PNG.

Run it from the project root under a display, with Debian's python3 (numpy, Pillow,
matplotlib, python3-vtk9 for the peer):

    xvfb-run -a -s "-screen 0 1600x1200x24" /usr/bin/python3 bench/step_curves.py \\
        --plot docs/step-curves.png build/run/dat/ct-head.dat head.dat
"""
import argparse
import json
import math
import os
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image

CONVERGED = 0.125
# The projections' table as the benchmark draws it in Kastra: grey = density, opaque, from the
# editor's left edge to its last pixel (density 4089 of 4095), then fading to the table's
# transparent end point at 4095, as the peer is told here too. (Kastra's projections take
# density 4095 as entry 4094, a sixth opaque, where the peer's is clear: volumes whose
# densities stay below 4089 are drawn alike.)
PEER_PROJECTION_TF = "0:1:0:0:0,%.6f:1:1:1:1,1:0:1:1:1" % (4089 / 4095)
# The bone table as the peer is told it (Kastra's is bench/frametransfers.cpp's, at densities
# 1228 and 1638); the ramp is the peer's default.
PEER_BONE_TF = "0:0:1:1:1,0.3:0:1:1:1,0.4:1:1:1:1,1:1:1:1:1"
RENDERERS = ("kastra", "gpu", "cpu")
KASTRA = ("kastra", "kastra-refined")
LABELS = {"kastra": "Kastra", "kastra-refined": "Kastra refined", "gpu": "peer GPU ray caster",
          "cpu": "peer CPU ray caster"}
# Kastra's distances whose errors the report names.
NAMED_STEPS = (1.0, 0.15)


def picture(path):
    return np.asarray(Image.open(path).convert("RGB"), dtype=np.float64)


def means3(image):
    """3 x 3 means of the interior pixels."""
    h, w = image.shape[:2]
    total = sum(image[dy:h - 2 + dy, dx:w - 2 + dx] for dy in range(3) for dx in range(3))
    return total / 9.0


def rms(a, b):
    """rms difference over the pixels either picture shows, in 8-bit units."""
    shown = (a.max(axis=2) > 0) | (b.max(axis=2) > 0)
    if not shown.any():
        return 0.0
    return float(np.sqrt(np.mean((a[shown] - b[shown]) ** 2)))


def errors(path, reference):
    a, b = picture(path), picture(reference)
    return rms(a, b), rms(means3(a), means3(b))


# The peer with its camera turned TURN degrees about the vertical before each case, the way
# Kastra's view turns for a drag to the right: argv is the peer's folder, TURN, its arguments.
TURNED_PEER = """
import sys
sys.path.insert(0, sys.argv[1])
import vtk_peer
turn, reset = float(sys.argv[2]), vtk_peer.Viewer.reset_camera
def turned(viewer):
    reset(viewer)
    viewer.cam.Azimuth(-turn)
    viewer.ren.ResetCameraClippingRange()
vtk_peer.Viewer.reset_camera = turned
sys.exit(vtk_peer.main(sys.argv[3:]))
"""


def run_kastra(bench, volume, steps, folder, args):
    command = [bench, "--save", folder, "--frames", str(args.frames), "--mode", args.mode,
               "--turn", str(args.turn), "--steps", ",".join("%g" % s for s in steps)]
    if args.mode == "composite":
        command += ["--table", args.table]
    out = subprocess.run(command + (["--refine"] if args.refine else []) + [volume],
                         check=True, capture_output=True, text=True).stdout
    records = [json.loads(line) for line in out.splitlines() if line.startswith("{")]
    # With the refined frames, Kastra's converged picture is refined too: the plain one keeps
    # the grain of its own jitter, which every error against it would carry.
    references = [r for r in records if r.get("reference")]
    reference = next((r for r in references if r["reference"] == "refined"), references[0])
    points = []
    for r in records:
        if r.get("reference"):
            continue
        point = {"renderer": r["renderer"], "step": r["step"], "ms": r[args.statistic + "_ms"],
                 "png": os.path.join(folder, r["png"])}
        if "frames" in r:
            point["frames"] = r["frames"]
        points.append(point)
    return points, os.path.join(folder, reference["png"])


def run_peer(peer, volume, step, folder, frames, mode, turn, statistic, table):
    os.makedirs(folder, exist_ok=True)
    shade = ["--shade"] if mode == "composite" else ["--proj-tf", PEER_PROJECTION_TF]
    if mode == "composite" and table == "bone":
        shade += ["--tf", PEER_BONE_TF]
    command = ["/usr/bin/python3", peer] if turn == 0 else \
        ["/usr/bin/python3", "-c", TURNED_PEER, os.path.dirname(os.path.abspath(peer)), str(turn)]
    out = subprocess.run(command + [volume, "--parallel-scale", "1.0", "--step",
                          "%g" % step] + shade + ["--modes", mode, "--frames",
                          str(frames), "--warmup", "1" if frames > 1 else "0", "--load-repeats",
                          "1", "--out-dir", folder, "--json"],
                         check=True, capture_output=True, text=True).stdout
    result = json.loads([line for line in out.splitlines() if line.startswith("{")][-1])
    return {r["mapper"]: {"ms": r[statistic + "_ms"], "png": os.path.join(folder, r["png"])}
            for r in result["render"] if "png" in r}


def curves(volume, args, scratch):
    name = os.path.splitext(os.path.basename(volume))[0]
    points, references = [], {}
    kastra, references["kastra"] = run_kastra(args.bench, volume, args.steps,
                                              os.path.join(scratch, name, "kastra"), args)
    # The refined frames converge to the plain still frame's limit.
    references["kastra-refined"] = references["kastra"]
    points += kastra
    for step in [] if args.kastra_only else args.peer_steps + [CONVERGED]:
        converged = step == CONVERGED
        cases = run_peer(args.peer, volume, step, os.path.join(scratch, name, "peer-%g" % step),
                         1 if converged else args.frames, args.mode, args.turn,
                         args.statistic, args.table)
        for mapper, case in cases.items():
            if converged:
                references[mapper] = case["png"]
            else:
                points.append({"renderer": mapper, "step": step, "ms": case["ms"],
                               "png": case["png"]})
    for p in points:
        p["rms"], p["rms3"] = errors(p["png"], references[p["renderer"]])
        p["volume"] = name
    return points


def time_at(curve, error, key):
    """Kastra's time at `error` on one curve (log-log between neighbouring points): (ms, bound),
    bound '<=' where even its farthest point is closer than `error` (the time of its fastest),
    None where it never gets as close."""
    curve = sorted(curve, key=lambda p: (p[key], p["ms"]))  # of equal errors, the faster first
    if error >= curve[-1][key]:
        return min(p["ms"] for p in curve), "<="
    if error < curve[0][key]:
        return None, None
    for near, far in zip(curve, curve[1:]):
        if near[key] <= error <= far[key]:
            if far[key] == near[key]:
                return near["ms"], ""
            # A picture equal to the converged one has error 0: logs from 0.01 on.
            low, high, at = (math.log(max(v, 0.01)) for v in (near[key], far[key], error))
            f = (at - low) / (high - low) if high > low else 0.0
            return math.exp(math.log(near["ms"]) + f * (math.log(far["ms"]) - math.log(near["ms"]))), ""
    return None, None


def kastra_curves(points, volume):
    """Kastra's curves on `volume`: (name, points), the plain one and one refined per step."""
    mine = [p for p in points if p["volume"] == volume]
    curves = [("plain", [p for p in mine if p["renderer"] == "kastra"])]
    for step in dict.fromkeys(p["step"] for p in mine if p["renderer"] == "kastra-refined"):
        curves.append(("refined at step %g" % step, [
            p for p in mine if p["renderer"] == "kastra-refined" and p["step"] == step]))
    return [(name, curve) for name, curve in curves if curve]


def kastra_time_at(curves, error, key):
    """Kastra's time at `error`: the lowest over its curves, as (ms, bound, curve's name)."""
    times = [time_at(curve, error, key) + (name,) for name, curve in curves]
    times = [t for t in times if t[0] is not None]
    # Of equal times, an interpolated one before a bound.
    return min(times, key=lambda t: (t[0], t[1] != "")) if times else (None, None, None)


def report(points):
    print("%-10s %-14s %6s %6s %9s %8s %8s" % ("volume", "renderer", "step", "frames", "ms",
                                               "rms", "rms 3x3"))
    for p in points:
        print("%-10s %-14s %6g %6s %9.1f %8.2f %8.2f" % (
            p["volume"], p["renderer"], p["step"], p.get("frames", ""), p["ms"], p["rms"],
            p["rms3"]))
    volumes = list(dict.fromkeys(p["volume"] for p in points))
    print("\nKastra's errors against its converged picture (rms / rms of 3 x 3 means):")
    for volume in volumes:
        for step in NAMED_STEPS:
            cases = [p for p in points if p["volume"] == volume and p["step"] == step and
                     (p["renderer"] == "kastra" or p.get("frames") == 16)]
            if not cases:
                print("  %s step %g: not run" % (volume, step))
            for p in cases:
                print("  %s step %g%s: rms %.2f, 3x3 %.2f, %.1f ms" % (
                    volume, step, ", refined 16 frames" if "frames" in p else "", p["rms"],
                    p["rms3"], p["ms"]))
    peers = [p for p in points if p["renderer"] not in KASTRA]
    if not peers:
        return
    print("\nat each peer's one-voxel error, Kastra's time (interpolated, the lower of its plain "
          "and refined curves) and the ratio:")
    for volume in volumes:
        curves = kastra_curves(points, volume)
        for p in peers:
            if p["volume"] != volume:
                continue
            for key in ("rms", "rms3"):
                ms, bound, curve = kastra_time_at(curves, p[key], key)
                p["kastra_ms_" + key] = ms
                p["kastra_curve_" + key] = curve
                tag = "%s %s step %g, %s %.2f: %.1f ms" % (volume, p["renderer"], p["step"],
                                                          key, p[key], p["ms"])
                if ms is None:
                    print("  %s; Kastra never as close" % tag)
                else:
                    print("  %s; Kastra %s%.1f ms (%s), %s%.2fx" % (
                        tag, bound, ms, curve, ">=" if bound else "", p["ms"] / ms))


def plot(points, path, mode, table, turn, statistic):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    volumes = list(dict.fromkeys(p["volume"] for p in points))
    figure, axes = plt.subplots(1, len(volumes), figsize=(6 * len(volumes), 4.5), squeeze=False)
    for ax, volume in zip(axes[0], volumes):
        for renderer, style in zip(RENDERERS, ("o-", "s--", "^:")):
            curve = sorted((p for p in points if p["volume"] == volume and p["renderer"] == renderer),
                           key=lambda p: p["step"])
            if not curve:
                continue
            ax.plot([p["rms"] for p in curve], [p["ms"] for p in curve], style,
                    label=LABELS[renderer])
            for p in curve:
                ax.annotate("%g" % p["step"], (p["rms"], p["ms"]), textcoords="offset points",
                            xytext=(4, 4), fontsize=7)
        # The refined frames, one curve per distance, labelled by their count.
        for name, curve in kastra_curves(points, volume)[1:]:
            curve = sorted(curve, key=lambda p: p["frames"])
            ax.plot([p["rms"] for p in curve], [p["ms"] for p in curve], "D-.", markersize=4,
                    label="%s, step %g" % (LABELS["kastra-refined"], curve[0]["step"]))
            for p in curve:
                ax.annotate("%d" % p["frames"], (p["rms"], p["ms"]), textcoords="offset points",
                            xytext=(4, -9), fontsize=7)
        ax.set_xscale("log")
        ax.set_yscale("log")
        ax.set_xlabel("rms error against the renderer's converged picture (8-bit units)")
        ax.set_ylabel("ms per frame (%s; refined: all its frames)" % statistic)
        shown = mode if mode != "composite" else "composite, %s table" % table
        ax.set_title("%s, %s,\nturned %d degrees, 700 x 500, steps in voxels"
                     % (volume, shown, turn), fontsize=10)
        ax.grid(True, which="both", alpha=0.3)
        ax.legend()
    figure.tight_layout()
    figure.savefig(path, dpi=90)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("volumes", nargs="+", help=".dat volumes")
    ap.add_argument("--bench", default="build/bench/kastra-bench-steps")
    ap.add_argument("--peer", default="../shared/peer/vtk_peer.py")
    steps = lambda text: [float(s) for s in text.split(",")]  # noqa: E731
    ap.add_argument("--steps", default="4,3,2,1.5,1,0.5,0.25,0.15", type=steps, help="Kastra's")
    ap.add_argument("--peer-steps", default="2,1,0.5,0.25", type=steps, help="the peer's")
    ap.add_argument("--frames", type=int, default=10)
    # On a shared machine other work only ever adds to a frame: the shortest is the steadier.
    ap.add_argument("--statistic", choices=("median", "min"), default="median",
                    help="of each case's frame times")
    ap.add_argument("--mode", choices=("composite", "mip"), default="composite")
    ap.add_argument("--table", choices=("ramp", "bone"), default="ramp",
                    help="Composite's: the peer's default ramp, or bone as an opaque surface")
    ap.add_argument("--refine", action="store_true",
                    help="Kastra's refined still frames too, as a curve of their own")
    ap.add_argument("--kastra-only", action="store_true", help="leave the peer out")
    ap.add_argument("--turn", type=int, default=0,
                    help="degrees both views are turned about the vertical (0: unturned)")
    ap.add_argument("--plot", help="PNG to draw the curves into")
    ap.add_argument("--keep", help="folder to keep the pictures in")
    args = ap.parse_args()
    if args.mode != "composite" and (args.refine or args.table != "ramp"):
        ap.error("--refine and --table take Composite")
    if not args.kastra_only and not os.path.exists(args.peer):
        sys.exit("error: no peer at %s (--peer)" % args.peer)
    with tempfile.TemporaryDirectory() as scratch:
        folder = args.keep or scratch
        points = [p for v in args.volumes for p in curves(os.path.abspath(v), args, folder)]
    report(points)
    if args.plot:
        plot(points, args.plot, args.mode, args.table, args.turn, args.statistic)
    print(json.dumps({"bench": "step_curves", "mode": args.mode, "table": args.table,
                      "turn": args.turn, "refine": args.refine, "points": [
        {k: v for k, v in p.items() if k != "png"} for p in points]}))


if __name__ == "__main__":
    main()
