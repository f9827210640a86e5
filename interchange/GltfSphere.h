#pragma once
// The collision sphere read back from a glTF file the export wrote and an
// artist edited: the "COLL SPHR" node, moved or scaled.
#include <array>
#include <ostream>
#include <string>

#include "interchange/GltfDocument.h"

// The centre (the node's position relative to the hardpoints' root) and
// the "Diameter:" value (the node's scale; the largest of its three, said on
// Warnings, when an artist stretched it unevenly). Raises EGltfHardpoints
// when the root holds no sphere node, its numbers are not finite, its scale
// is zero along an axis or its transform is not affine.
std::array<float, 4> ReadGltfSphere(const std::string& FileName, const std::string& ModelName, std::ostream& Warnings);

// The same, under the node Root of a document already read.
std::array<float, 4> GltfSphereUnder(const TGltfDocument& Document, int Root, const std::string& FileName,
                                     std::ostream& Warnings);
