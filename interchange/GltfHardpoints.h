#pragma once
// Hardpoints read back from a glTF file (".glb" or ".gltf"): one that
// `quelbir-cli export` wrote, possibly moved about and saved again by
// another 3D tool, with or without the extras the export wrote.
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/GltfDocument.h"
#include "model/THardpoint.h"

struct TGltfHardpoint {
  // The name as the model would hold it, and the transform relative to the
  // root, through every node between, with unit perpendicular axes (the
  // exact numbers the export kept where the node still sits where the
  // export put it).
  THardpoint Hardpoint;
  std::string NodeName;         // the node's name as the file has it, UTF-8
  std::optional<int64_t> Mark;  // the model's list index the export wrote
  bool Finite = true;           // false: Hardpoint.Matrix is the identity
  bool Scaled = false;          // the node's transform carried a scale, shear or mirror, now taken out
  bool Kept = false;            // Hardpoint.Matrix are the exact numbers the export kept
};

// The node that holds the hardpoints: the scene's one top node; among
// several, the one named ModelName (the model's file name, when known),
// else the one holding the marked nodes or the sphere, else the one with
// the most children without a mesh, never a camera or light. Raises
// EGltfHardpoints naming the candidates when none can be told apart.
int GltfHardpointRoot(const TGltfDocument& Document, const std::string& FileName, const std::string& ModelName);

// True for the collision sphere's node: marked so by the export, or named
// as the export names it when the marks were not kept.
bool IsGltfSphereNode(const TGltfNode& Node);

// Visits the nodes under Root depth first in file order, each once (nodes
// holding one another in a loop still end), with its transform relative to
// the root; without recursion, so any depth is walked. Visit returns
// whether to go on below the node.
void WalkUnderRoot(const TGltfDocument& Document, int Root,
                   const std::function<bool(const TGltfNode& Node, const TMatrix4& World)>& Visit);

// Every node under the root that has no mesh, is no camera or light and is
// neither the sphere nor one of the export's markers (nor under them): the
// marked ones in the order of their marks, then the others depth first in
// file order. A node without a name is given a fresh one ("Hardpoint1",
// ...). Raises EGltfHardpoints for a name the hardpoint name rule refuses
// (model/HardpointName.h), unless it is the model's own as the export wrote
// it.
std::vector<TGltfHardpoint> FindGltfHardpoints(const TGltfDocument& Document, int Root, const std::string& FileName);

// Gives each hardpoint whose name an earlier one holds (a copy made in
// Blender keeps its original's), unless it is one of the model's own with
// a mark no other carries, a fresh name by Duplicate Hardpoint's rule
// ("Gun" then "Gun2"), one line on Notes each.
void NameCopiesAfresh(std::vector<TGltfHardpoint>& Hardpoints, std::ostream& Notes);

// The hardpoints of the file alone, in the order above; a transform that
// carried a scale or shear is said on Warnings. Raises EGltfHardpoints when
// no hardpoint is found or a transform is not finite.
std::vector<THardpoint> ReadGltfHardpoints(const std::string& FileName, std::ostream& Warnings);

// True when Blender could have made GltfName from Name (both UTF-8): the
// same, with a ".001"-style suffix of a duplicate, cut to its 63 bytes, or
// both.
bool IsBlenderName(const std::string& GltfName, const std::string& Name);

// The same rule taken apart, for finding the names among many without
// trying each: GltfName comes from GltfName itself, from Base, or, when
// MayBeCut, from any name longer than Base that starts with it.
struct TBlenderName {
  std::string_view Base;  // GltfName without its ".001"-style suffix (a view into it)
  bool MayBeCut = false;
};
TBlenderName BlenderNameParts(const std::string& GltfName);
