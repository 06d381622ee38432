"""Renders a volume with ParaView the way Kastra's unturned view shows it.

    mpiexec -n N pvbatch render_volume.py VOLUME.nrrd FUNCTION.json OUT.png [--size W H]
    pvbatch render_volume.py VOLUME.nrrd FUNCTION.json OUT.png [--size W H]

For volumes too large for one machine: each MPI rank reads and renders its
own part of the NRRD file (raw encoding), and ParaView composites the parts.
FUNCTION.json is a Kastra transfer-function file (version 1). Each rank prints
the extent it holds; rank 0 prints the render time. A bad function file is
refused with one line and status 1, a wrong command line with status 2.
"""

# Importing ParaView puts its names into the script's, among them min and max
# as array reductions: the built-in ones are called by their module's name.
import builtins
import json
import math
import sys
import time

USAGE = "usage: pvbatch render_volume.py VOLUME.nrrd FUNCTION.json OUT.png [--size W H]"

MAX_DENSITY = 4095
MAX_POINTS = 256

# Kastra's headlight shading: colour * (0.2 + 0.6 * facing) plus a white
# highlight of 0.2 * facing^10, facing = |normal . view|. ParaView's headlight
# highlight is (2 facing^2 - 1)^p, which near facing 1 falls as facing^(4p):
# p = 2.5 matches facing^10. (A sample without a gradient Kastra lights as
# if it faced the viewer, ParaView with the ambient part alone.)
AMBIENT, DIFFUSE, SPECULAR, SPECULAR_POWER = 0.2, 0.6, 0.2, 2.5


class Refusal(Exception):
    pass


def parse_arguments(argv):
    args = list(argv)
    size = (700, 500)
    if "--size" in args:
        at = args.index("--size")
        try:
            size = (int(args[at + 1]), int(args[at + 2]))
        except (IndexError, ValueError):
            return None
        del args[at:at + 3]
        if builtins.min(size) < 1:
            return None
    if len(args) != 3 or any(a.startswith("--") for a in args):
        return None
    return args[0], args[1], args[2], size


def is_integer(value, lowest, highest):
    return (isinstance(value, (int, float)) and not isinstance(value, bool)
            and math.isfinite(value) and value == int(value) and lowest <= value <= highest)


def function_fault(document):
    """The first rule of the file format (docs/transfer-functions.md) that
    `document` breaks, in Kastra's words; None when it keeps them all."""
    keys = ("kastra-transfer-function", "densityWindow", "points")
    if not isinstance(document, dict) or keys[0] not in document:
        return "not a Kastra transfer function"
    if document[keys[0]] != 1 or isinstance(document[keys[0]], bool):
        return "version %s is not 1" % json.dumps(document[keys[0]])
    for key in document:
        if key not in keys:
            return 'unknown key "%s"' % key
    for key in keys:
        if key not in document:
            return '"%s" is missing' % key
    window = document["densityWindow"]
    if (not isinstance(window, list) or len(window) != 2
            or not all(is_integer(w, 0, MAX_DENSITY) for w in window) or window[0] >= window[1]):
        return "density window %s is not two integers lower < upper within 0..%d" % (
            json.dumps(window), MAX_DENSITY)
    points = document["points"]
    if not isinstance(points, list) or not 1 <= len(points) <= MAX_POINTS:
        return "points must be an array of 1..%d" % MAX_POINTS
    for number, point in enumerate(points, 1):
        where = "point %d: " % number
        if not isinstance(point, dict) or sorted(point) != ["color", "density", "opacity"]:
            return where + "needs density, opacity and color, and nothing else"
        if not is_integer(point["density"], window[0], window[1]):
            return where + "density %s is no integer in the window %d..%d" % (
                json.dumps(point["density"]), window[0], window[1])
        opacity = point["opacity"]
        if (not isinstance(opacity, (int, float)) or isinstance(opacity, bool)
                or not 0 <= opacity <= 1):
            return where + "opacity %s is outside 0..1" % json.dumps(opacity)
        color = point["color"]
        if not isinstance(color, list) or len(color) != 3 or not all(
                is_integer(c, 0, 255) for c in color):
            return where + "color %s is not three integers 0..255" % json.dumps(color)
    return None


def load_function(path):
    """The density window and the points, as (density, opacity, colour 0..1),
    of a Kastra transfer-function file; Refusal where it breaks a rule."""
    try:
        with open(path, encoding="utf-8") as f:
            document = json.load(f)
    except OSError as error:
        raise Refusal("cannot read '%s': %s" % (path, error.strerror or error))
    except ValueError as error:
        raise Refusal("'%s': not JSON: %s" % (path, error))
    fault = function_fault(document)
    if fault:
        raise Refusal("'%s': %s" % (path, fault))
    points = [(p["density"], float(p["opacity"]), [c / 255.0 for c in p["color"]])
              for p in document["points"]]
    return document["densityWindow"][0], document["densityWindow"][1], points


BLACK, WHITE = [0.0, 0.0, 0.0], [1.0, 1.0, 1.0]


def between(a, b, density):
    """The node on the line from node a to node b at `density`."""
    t = (density - a[0]) / (b[0] - a[0])
    return (density, a[1] + t * (b[1] - a[1]), [p + t * (q - p) for p, q in zip(a[2], b[2])])


def function_nodes(lo, hi, points):
    """Kastra's table (render/transfertable.cpp) as a polyline of (density,
    opacity, colour): transparent black at lo, the points by density,
    transparent white at hi, joined by straight lines; transparent black
    outside lo..hi. The view reads the table linearly between its entries,
    as ParaView reads the polyline."""
    nodes = [(lo, 0.0, BLACK)] + sorted(points, key=lambda node: node[0]) + [(hi, 0.0, WHITE)]
    polyline = []
    first = 0
    while first < len(nodes):
        last = first
        while last + 1 < len(nodes) and nodes[last + 1][0] == nodes[first][0]:
            last += 1
        # Nodes sharing a density: the table's entry there comes from the
        # line that starts there, at the group's last node (at hi, where no
        # line starts from the white end, the node before it); the line
        # that arrives ends at the group's first node, one entry before.
        shown = nodes[last] if last + 1 < len(nodes) or last == first else nodes[last - 1]
        arriving = nodes[first]
        density = arriving[0]
        if polyline and arriving is not shown and density - 1 > polyline[-1][0]:
            polyline.append(between(polyline[-1], arriving, density - 1))
        polyline.append(shown)
        first = last + 1
    # ParaView holds the end nodes' values beyond them.
    if lo > 0:
        polyline.insert(0, (lo - 1, 0.0, BLACK))
    if hi < MAX_DENSITY:
        polyline.append((hi + 1, 0.0, BLACK))
    return polyline


# Runs on every rank as the script of a programmable filter in front of the
# volume: it passes the rank's part through and says which extent that is.
EXTENT_SCRIPT = """
from vtkmodules.vtkParallelCore import vtkMultiProcessController
controller = vtkMultiProcessController.GetGlobalController()
rank = controller.GetLocalProcessId() if controller else 0
ranks = controller.GetNumberOfProcesses() if controller else 1
data = self.GetInputDataObject(0, 0)
self.GetOutputDataObject(0).ShallowCopy(data)
e = data.GetExtent()
line = "rank %d of %d: extent %d..%d %d..%d %d..%d" % ((rank, ranks) + tuple(e))
if getattr(self, "kastra_last_line", None) != line:
    self.kastra_last_line = line
    print(line, flush=True)
"""


def render(volume, lo, hi, points, output, size):
    from paraview import simple

    try:
        reader = simple.OpenDataFile(volume)
    except RuntimeError:
        reader = None
    if reader is None:
        raise Refusal("ParaView cannot read '%s'" % volume)
    reader.UpdatePipelineInformation()
    arrays = reader.PointData.keys()
    if len(arrays) != 1:
        raise Refusal("'%s' holds no single scalar array" % volume)
    array = arrays[0]

    parts = simple.ProgrammableFilter(Input=reader)
    parts.Script = EXTENT_SCRIPT
    parts.RequestInformationScript = ""
    parts.CopyArrays = 0
    parts.UpdatePipeline()
    info = parts.GetDataInformation()
    extent, bounds = info.GetExtent(), info.GetBounds()
    counts = [extent[2 * a + 1] - extent[2 * a] + 1 for a in range(3)]
    spacing = [(bounds[2 * a + 1] - bounds[2 * a]) / (counts[a] - 1) if counts[a] > 1 else 1.0
               for a in range(3)]

    view = simple.CreateRenderView()
    view.ViewSize = list(size)
    view.OrientationAxesVisibility = 0
    if hasattr(view, "UseColorPaletteForBackground"):
        view.UseColorPaletteForBackground = 0
    view.Background = [0.0, 0.0, 0.0]  # Kastra clears its view to black
    # One light, a headlight, as Kastra's ray caster has.
    view.UseLight = 0
    light = simple.AddLight(view=view)
    light.Coords = "Headlight"
    light.Intensity = 1.0

    display = simple.Show(parts, view)
    display.SetRepresentationType("Volume")
    simple.ColorBy(display, ("POINTS", array))
    nodes = function_nodes(lo, hi, points)
    colors = simple.GetColorTransferFunction(array)
    colors.AutomaticRescaleRangeMode = "Never"
    colors.ColorSpace = "RGB"
    colors.RGBPoints = [v for d, _, c in nodes for v in (d, c[0], c[1], c[2])]
    colors.ScalarRangeInitialized = 1
    opacities = simple.GetOpacityTransferFunction(array)
    opacities.Points = [v for d, a, _ in nodes for v in (d, a, 0.5, 0.0)]
    opacities.ScalarRangeInitialized = 1
    display.LookupTable = colors
    display.ScalarOpacityFunction = opacities
    # Kastra's table opacities hold for a step of one voxel (its rays correct
    # them for shorter steps); ParaView's hold for this distance.
    display.ScalarOpacityUnitDistance = builtins.min(spacing)
    display.Shade = 1
    display.Ambient, display.Diffuse = AMBIENT, DIFFUSE
    display.Specular, display.SpecularPower = SPECULAR, SPECULAR_POWER

    # The first render places the camera to show all: the view's own camera
    # goes after it.
    started = time.monotonic()
    simple.Render(view)

    # Kastra's unturned view: orthographic, x to the right, y up, z (the
    # slice index) towards the viewer; the volume centred, its longest side
    # (voxel edge to voxel edge) half the view's shorter side.
    centre = [(bounds[2 * a] + bounds[2 * a + 1]) / 2 for a in range(3)]
    longest = builtins.max(counts[a] * spacing[a] for a in range(3))
    view.CameraParallelProjection = 1
    view.CameraFocalPoint = centre
    view.CameraPosition = [centre[0], centre[1], centre[2] + 4 * longest]
    view.CameraViewUp = [0.0, 1.0, 0.0]
    view.CameraParallelScale = longest * size[1] / builtins.min(size)

    simple.SaveScreenshot(output, view, ImageResolution=list(size))
    print("rendered %s (%d x %d) in %.2f s, reading included"
          % (output, size[0], size[1], time.monotonic() - started), flush=True)


def main(argv):
    parsed = parse_arguments(argv)
    if parsed is None:
        print(USAGE, file=sys.stderr)
        return 2
    volume, function, output, size = parsed
    try:
        # ParaView's NRRD reader gives each rank its own part; its MetaImage
        # reader gives rank 0 the whole volume, its NIfTI reader wrong parts.
        if not volume.lower().endswith((".nrrd", ".nhdr")):
            raise Refusal("'%s' is no NRRD file: export one with kastra-convert" % volume)
        lo, hi, points = load_function(function)
        render(volume, lo, hi, points, output, size)
    except Refusal as refusal:
        print("render_volume.py: %s" % refusal, file=sys.stderr, flush=True)
        return 1
    return 0


if __name__ == "__main__":
    # sys.exit while ParaView's windows are open ends pvbatch with an X error
    # and status 1: a successful run returns normally.
    status = main(sys.argv[1:])
    if status:
        sys.exit(status)
