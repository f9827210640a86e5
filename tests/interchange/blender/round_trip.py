# The hardpoint round trip through Blender as artists make it: an export
# imported into Blender's start-up scene (its Cube, camera and light left
# in), empties moved, turned, scaled, duplicated, re-parented and added,
# then exported with Blender's default settings and with custom properties.
# Each export must give back through `quelbir-cli script FILE --from-gltf`
# the values worked out here in the model's own axes.
#
# blender -b --factory-startup --python round_trip.py -- QUELBIR_CLI WORK_DIR
import math
import os
import subprocess
import sys

import bpy
from mathutils import Matrix, Vector

cli, work = sys.argv[sys.argv.index("--") + 1:]
model = os.path.join(work, "ship.iff")
failures = []


def run(*args):
    done = subprocess.run([cli, *args], capture_output=True, text=True)
    return done.returncode, done.stdout, done.stderr


def script_hardpoints(text):
    """(name, 4x4 rows) from a hardpoint script: per chunk three rows of an
    axis and one position coordinate."""
    result, values = [], []
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("float "):
            values.append(float(line[6:]))
        elif line.startswith("cstring "):
            rows = [values[0:4], values[4:8], values[8:12]]
            # rows[i] = axis i, then coordinate i of the position
            axes = [[rows[a][c] for c in range(3)] for a in range(3)]
            position = [rows[i][3] for i in range(3)]
            result.append((line[9:-1], axes, position))
            values = []
    return result


def turned_about_y(axes, degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    return [[c * x + s * z, y, -s * x + c * z] for x, y, z in axes]


assert run("sample", model)[0] == 0
assert run("export", model, "-o", os.path.join(work, "ship.glb"))[0] == 0
original = script_hardpoints(run("script", model)[1])
expected = {name: (axes, position) for name, axes, position in original}

# As the README tells the user: Shading "Flat Shading". The add-on's default,
# "Use Normal Data", stops every import on Debian 12 (numpy 1.24 no longer
# has the alias numpy.bool that it uses); Blender's Python is left as it is.
bpy.ops.import_scene.gltf(filepath=os.path.join(work, "ship.glb"), import_shading="FLAT")
objects = bpy.data.objects
root = objects["ship.iff"]

# The editor's direction (the model's local +Z) is the empty's local -Y in
# Blender, whose up (+Z) is the model's +Y.
cockpit = objects["Cockpit"]
seen = cockpit.matrix_world.to_3x3() @ Vector((0, -1, 0))
axes = expected["Cockpit"][0]
model_z = Vector((axes[2][0], -axes[2][2], axes[2][1]))  # model (x, y, z) is Blender (x, -z, y)
if (seen - model_z).length > 2e-3:  # the script's three decimals
    failures.append(f"the editor's direction is not the empty's local -Y: {seen} against {model_z}")

# Moved up half a unit in Blender: the model's +Y.
objects["GunLeft"].location.z += 0.5
expected["GunLeft"][1][1] += 0.5
# Turned a quarter about Blender's up: about the model's +Y.
engine = objects["EngineLeft"]
engine.rotation_mode = "QUATERNION"
engine.matrix_world = Matrix.Translation(engine.matrix_world.translation) @ Matrix.Rotation(math.radians(90), 4, "Z") @ \
    Matrix.Translation(-engine.matrix_world.translation) @ engine.matrix_world
expected["EngineLeft"] = (turned_about_y(expected["EngineLeft"][0], 90), expected["EngineLeft"][1])
# Scaled to be seen better: the hardpoint stays as it was, with a warning.
objects["GunRight"].scale = (2, 2, 2)
# Put under the mesh, staying where it is.
engine_right = objects["EngineRight"]
world = engine_right.matrix_world.copy()
engine_right.parent = objects["0001"]
engine_right.matrix_world = world
# Duplicated and moved one unit along X (Blender and model alike): "Cockpit.001",
# back as a copy is named, "Cockpit2".
bpy.ops.object.select_all(action="DESELECT")
cockpit.select_set(True)
bpy.context.view_layer.objects.active = cockpit
bpy.ops.object.duplicate()
copy = bpy.context.view_layer.objects.active
copy.location.x += 1
copy_axes, copy_position = expected["Cockpit"][0], list(expected["Cockpit"][1])
copy_position[0] += 1
# Added under the root three units along Blender's -Y: the model's +Z.
centre = bpy.data.objects.new("GunCentre", None)
bpy.context.scene.collection.objects.link(centre)
centre.parent = root
centre.location = (0, -3, 0)
# The sphere moved up one unit (the model's +Y) and made half as large again.
sphere = objects["COLL SPHR"]
sphere.location.z += 1
sphere.scale = sphere.scale * 1.5
sphere_wanted = [0, 1.6, 0.75, 4.9 * 1.5]
added = [("Cockpit2", copy_axes, copy_position), ("GunCentre", [[1, 0, 0], [0, 1, 0], [0, 0, 1]], [0, 0, 3])]
bpy.context.view_layer.update()

changes = ["GunLeft: moved by 0.500",
           "GunRight: its transform carried a scale or shear; the hardpoint keeps unit, perpendicular axes",
           "EngineLeft: turned by 90.000 degrees", "Cockpit.001: added as Cockpit2", "GunCentre: added"]
for label, options in (("defaults", {}), ("custom properties", {"export_extras": True})):
    out = os.path.join(work, label.replace(" ", "-") + ".glb")
    bpy.ops.export_scene.gltf(filepath=out, **options)
    code, text, err = run("script", model, "--from-gltf", out)
    if code != 0:
        failures.append(f"{label}: exit {code}: {err}")
        continue
    for line in changes:
        if line not in err.splitlines():
            failures.append(f"{label}: no line {line!r} on standard error: {err!r}")
    code, text_sphere, err = run("sphere", model, "--from-gltf", out)
    got_sphere = [float(v) for v in text_sphere.split()] if code == 0 else []
    if len(got_sphere) != 4 or any(abs(a - b) > 1e-5 for a, b in zip(got_sphere, sphere_wanted)):
        failures.append(f"{label}: sphere {text_sphere!r} {err!r} instead of {sphere_wanted}")
    got = script_hardpoints(text)
    want = [(name, *expected[name]) for name, _, _ in original] + added
    if [g[0] for g in got] != [w[0] for w in want]:
        failures.append(f"{label}: names {[g[0] for g in got]} instead of {[w[0] for w in want]}")
        continue
    for (name, axes, position), (_, want_axes, want_position) in zip(got, want):
        numbers = [v for row in axes for v in row] + position
        wanted = [v for row in want_axes for v in row] + want_position
        if any(abs(a - b) > 0.0015 for a, b in zip(numbers, wanted)):
            failures.append(f"{label}: {name}: {numbers} instead of {wanted}")

for failure in failures:
    print("FAIL:", failure)
sys.stdout.flush()
os._exit(1 if failures else 0)
