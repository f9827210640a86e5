# Meshes as an artist makes them in Blender, for `quelbir-cli import`: a
# monkey, a UV sphere wearing a material with a picture and a subdivided
# cube of quads, as the three levels "Ship_LOD0" .. "Ship_LOD2", and two
# empties; exported with the glTF add-on's defaults and as OBJ. Writes the
# files and what Blender knows of them (faces, bounds, empties, in the
# glTF's axes) as expected.json into OUT_DIR.
#
# blender -b --factory-startup --python import_meshes.py -- OUT_DIR
import json
import os
import sys

import bpy
from mathutils import Matrix

out = sys.argv[sys.argv.index("--") + 1]
bpy.ops.object.select_all(action="SELECT")
bpy.ops.object.delete()

bpy.ops.mesh.primitive_monkey_add(location=(0, 0, 1))
monkey = bpy.context.active_object
monkey.name = "Ship_LOD0"
bpy.ops.mesh.primitive_uv_sphere_add(segments=8, ring_count=4, radius=1.5, location=(0, 0, 1))
sphere = bpy.context.active_object
sphere.name = "Ship_LOD1"
image = bpy.data.images.new("hull", 4, 4)
image.pixels = [0.5, 0.25, 0.125, 1.0] * 16
image.pack()
material = bpy.data.materials.new("Hull")
material.use_nodes = True
texture = material.node_tree.nodes.new("ShaderNodeTexImage")
texture.image = image
material.node_tree.links.new(texture.outputs["Color"], material.node_tree.nodes["Principled BSDF"].inputs["Base Color"])
sphere.data.materials.append(material)
bpy.ops.mesh.primitive_cube_add(size=2, location=(0, 0, 1))
cube = bpy.context.active_object
cube.name = "Ship_LOD2"
bpy.ops.object.mode_set(mode="EDIT")
bpy.ops.mesh.subdivide(number_cuts=1)
bpy.ops.object.mode_set(mode="OBJECT")
# The positions as the file holds them: no node transform between.
for obj in (monkey, sphere, cube):
    bpy.ops.object.select_all(action="DESELECT")
    obj.select_set(True)
    bpy.context.view_layer.objects.active = obj
    bpy.ops.object.transform_apply(location=True, rotation=True, scale=True)

empties = {}
for name, location, rotation in (("EngineLeft", (-1, 2, 0.5), (0, 0, 0)), ("GunTop", (0, 0.5, 2), (1.5707963, 0, 0))):
    empty = bpy.data.objects.new(name, None)
    bpy.context.scene.collection.objects.link(empty)
    empty.location = location
    empty.rotation_euler = rotation
    empties[name] = empty
bpy.context.view_layer.update()

# Blender's Z up is the glTF's Y up: (x, y, z) -> (x, z, -y).
to_gltf = Matrix(((1, 0, 0, 0), (0, 0, 1, 0), (0, -1, 0, 0), (0, 0, 0, 1)))


def level(obj, triangles):
    mesh = obj.data
    mesh.calc_loop_triangles()
    points = [to_gltf @ v.co for v in mesh.vertices]
    return {
        "name": obj.name,
        "faces": len(mesh.loop_triangles) if triangles else len(mesh.polygons),
        "quads": 0 if triangles else sum(1 for p in mesh.polygons if len(p.vertices) == 4),
        "min": [min(p[a] for p in points) for a in range(3)],
        "max": [max(p[a] for p in points) for a in range(3)],
    }


expected = {
    "glb": [level(o, True) for o in (monkey, sphere, cube)],
    "obj": [level(o, False) for o in (monkey, sphere, cube)],
    "hardpoints": [],
}
for name, empty in empties.items():
    m = to_gltf @ empty.matrix_world @ to_gltf.inverted()
    expected["hardpoints"].append({"name": name, "axes": [[m[r][c] for r in range(3)] for c in range(3)],
                                   "position": [m[r][3] for r in range(3)]})

bpy.ops.export_scene.gltf(filepath=os.path.join(out, "blender-ship.glb"))
bpy.ops.wm.obj_export(filepath=os.path.join(out, "blender-ship.obj"), export_materials=False)
with open(os.path.join(out, "expected.json"), "w") as f:
    json.dump(expected, f, indent=1)
sys.stdout.flush()
os._exit(0)
