#pragma once
// What Enter in one of the sphere's four edit boxes does with their texts,
// without the boxes.
#include <string>

// Reads the boxes in the window's order, each value stored right after it has
// been read: Diameter first, then X, Y and Z. A text that is not a number
// raises EConvertError ("'<text>' is not a valid floating point value") and
// leaves that field and the ones after it as they were.
void StoreSphereTexts(const std::string& TextX, const std::string& TextY, const std::string& TextZ,
                      const std::string& TextDiameter, float (&Center)[3], float& Diameter);
