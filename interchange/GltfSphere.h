#pragma once
// The collision sphere read back from a glTF file the export wrote and an
// artist edited: the "COLL SPHR" node, moved or scaled.
#include <array>
#include <optional>
#include <ostream>
#include <string>

#include "interchange/GltfDocument.h"

// The centre (the node's position relative to the hardpoints' root) and
// the "Diameter:" value (the node's scale; the largest of its three, said on
// Warnings, when an artist stretched it unevenly). Raises EGltfHardpoints
// when the root holds no sphere node, its numbers are not finite, its scale
// is zero along an axis or its transform is not affine.
std::array<float, 4> ReadGltfSphere(const std::string& FileName, const std::string& ModelName, std::ostream& Warnings);

// The same for a document read already, under the hardpoints' root Root;
// none when the root holds no sphere node. The refusals are the same.
std::optional<std::array<float, 4>> FindGltfSphere(const TGltfDocument& Document, int Root, const std::string& FileName,
                                                   std::ostream& Warnings);

// What taking the sphere Edited in place of the model's does, one line on
// Changes as for a hardpoint ("COLL SPHR: moved by 0.500, \"Diameter:\"
// 2.000 -> 2.500"); nothing when the two are the same to the bit.
void SayGltfSphereChange(const std::array<float, 4>& Model, const std::array<float, 4>& Edited, std::ostream& Changes);

// As ReadGltfSphere, under the node Root of a document already read: a
// root without a sphere node is refused.
std::array<float, 4> GltfSphereUnder(const TGltfDocument& Document, int Root, const std::string& FileName,
                                     std::ostream& Warnings);
