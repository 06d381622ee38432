#!/usr/bin/env python3
"""Time against error: Kastra and the peer's GPU and CPU ray casters at equal picture.

For each volume, renders one view (unturned, or turned --turn degrees; 700 x 500; shaded Composite with the peer's
default ramp, or with --mode mip the maximum intensity projection, grey = density) at several
sample distances with kastra-bench-steps and with the peer
(../shared/peer/vtk_peer.py), and takes each picture's error against that renderer's own
converged picture (an eighth of a voxel): the rms over the pixels either picture shows and the
rms of 3 x 3 means, in 8-bit units. The time is the median ms of frames turned one degree
each. Prints a table, the ratios at the peers' one-voxel errors, one JSON line, and draws the
curves into a PNG.

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
RENDERERS = ("kastra", "gpu", "cpu")
LABELS = {"kastra": "Kastra", "gpu": "peer GPU ray caster", "cpu": "peer CPU ray caster"}


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


def run_kastra(bench, volume, steps, folder, frames, mode, turn, statistic):
    out = subprocess.run([bench, "--save", folder, "--frames", str(frames), "--mode", mode,
                          "--turn", str(turn), "--steps", ",".join("%g" % s for s in steps),
                          volume],
                         check=True, capture_output=True, text=True).stdout
    records = [json.loads(line) for line in out.splitlines() if line.startswith("{")]
    reference = next(r for r in records if r.get("reference"))
    return [{"renderer": "kastra", "step": r["step"], "ms": r[statistic + "_ms"],
             "png": os.path.join(folder, r["png"])} for r in records if not r.get("reference")], \
        os.path.join(folder, reference["png"])


def run_peer(peer, volume, step, folder, frames, mode, turn, statistic):
    os.makedirs(folder, exist_ok=True)
    shade = ["--shade"] if mode == "composite" else ["--proj-tf", PEER_PROJECTION_TF]
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
                                              os.path.join(scratch, name, "kastra"), args.frames,
                                              args.mode, args.turn, args.statistic)
    points += kastra
    for step in args.peer_steps + [CONVERGED]:
        converged = step == CONVERGED
        cases = run_peer(args.peer, volume, step, os.path.join(scratch, name, "peer-%g" % step),
                         1 if converged else args.frames, args.mode, args.turn,
                         args.statistic)
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
    """Kastra's time at `error` on its curve (log-log between neighbouring steps): (ms, bound),
    bound '<=' where even its coarsest step is closer than `error`, None where it never gets
    as close."""
    curve = sorted(curve, key=lambda p: (p[key], p["ms"]))  # of equal errors, the faster first
    if error >= curve[-1][key]:
        coarsest = max(curve, key=lambda p: p["step"])
        return coarsest["ms"], "<="
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


def report(points):
    print("%-10s %-8s %6s %9s %8s %8s" % ("volume", "renderer", "step", "ms", "rms", "rms 3x3"))
    for p in points:
        print("%-10s %-8s %6g %9.1f %8.2f %8.2f" % (p["volume"], p["renderer"], p["step"],
                                                     p["ms"], p["rms"], p["rms3"]))
    print("\nat each peer's one-voxel error, Kastra's time (interpolated) and the ratio:")
    for volume in dict.fromkeys(p["volume"] for p in points):
        kastra = [p for p in points if p["volume"] == volume and p["renderer"] == "kastra"]
        for p in points:
            if p["volume"] != volume or p["renderer"] == "kastra":
                continue
            for key in ("rms", "rms3"):
                ms, bound = time_at(kastra, p[key], key)
                p["kastra_ms_" + key] = ms
                tag = "%s %s step %g, %s %.2f: %.1f ms" % (volume, p["renderer"], p["step"],
                                                          key, p[key], p["ms"])
                if ms is None:
                    print("  %s; Kastra never as close" % tag)
                else:
                    print("  %s; Kastra %s%.1f ms, %s%.2fx" % (tag, bound, ms,
                                                              ">=" if bound else "", p["ms"] / ms))


def plot(points, path, mode, turn, statistic):
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
        ax.set_xscale("log")
        ax.set_yscale("log")
        ax.set_xlabel("rms error against the renderer's converged picture (8-bit units)")
        ax.set_ylabel("ms per frame (%s)" % statistic)
        ax.set_title("%s, %s, turned %d degrees, 700 x 500, steps in voxels"
                     % (volume, mode, turn))
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
    ap.add_argument("--turn", type=int, default=0,
                    help="degrees both views are turned about the vertical (0: unturned)")
    ap.add_argument("--plot", help="PNG to draw the curves into")
    ap.add_argument("--keep", help="folder to keep the pictures in")
    args = ap.parse_args()
    if not os.path.exists(args.peer):
        sys.exit("error: no peer at %s (--peer)" % args.peer)
    with tempfile.TemporaryDirectory() as scratch:
        folder = args.keep or scratch
        points = [p for v in args.volumes for p in curves(os.path.abspath(v), args, folder)]
    report(points)
    if args.plot:
        plot(points, args.plot, args.mode, args.turn, args.statistic)
    print(json.dumps({"bench": "step_curves", "mode": args.mode, "turn": args.turn, "points": [
        {k: v for k, v in p.items() if k != "png"} for p in points]}))


if __name__ == "__main__":
    main()
