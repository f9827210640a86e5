#include "editor/SphereEdits.h"

#include "runtime/NumberFormat.h"

void StoreSphereTexts(const std::string& TextX, const std::string& TextY, const std::string& TextZ,
                      const std::string& TextDiameter, float (&Center)[3], float& Diameter) {
  Diameter = StrToFloat(TextDiameter);
  Center[0] = StrToFloat(TextX);
  Center[1] = StrToFloat(TextY);
  Center[2] = StrToFloat(TextZ);
}
