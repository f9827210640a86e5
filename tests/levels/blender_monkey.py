# Writes Blender's monkey, subdivided N times, as plain text for the tests
# of made levels: "V F", V lines of "x y z", F lines of "n i1 .. in" (corners
# counter-clockwise as seen from outside).
# blender -b --factory-startup --python blender_monkey.py -- OUT N
import bpy, sys
out = sys.argv[sys.argv.index("--") + 1]
bpy.ops.mesh.primitive_monkey_add()
obj = bpy.context.active_object
mod = obj.modifiers.new("sub", "SUBSURF")
mod.levels = int(sys.argv[sys.argv.index("--") + 2])
dg = bpy.context.evaluated_depsgraph_get()
mesh = obj.evaluated_get(dg).to_mesh()
with open(out, "w") as f:
    f.write("%d %d\n" % (len(mesh.vertices), len(mesh.polygons)))
    for v in mesh.vertices:
        f.write("%r %r %r\n" % (v.co.x, v.co.y, v.co.z))
    for p in mesh.polygons:
        f.write(" ".join(str(i) for i in [len(p.vertices)] + list(p.vertices)) + "\n")
