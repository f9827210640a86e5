#include "model/THardpoint.h"

#include "iff/IffReader.h"

THardpoint::THardpoint(TIffReader& Reader) {
  auto EndsInside = [&Reader] {
    return EHardpoint("THardpoint: " + Reader.FileName() + " ends inside the matrix of a hardpoint!");
  };
  float Values[12] = {};
  if (Reader.CurrentSize() - Reader.Position() + 8 >= int32_t(sizeof Values)) {
    // The whole matrix lies in the chunk: one read, which only the file's
    // end can cut short.
    if (Reader.Read(Values, sizeof Values) != int32_t(sizeof Values)) throw EndsInside();
  } else {
    // Number by number, so the chunk's end is met where it lies.
    for (float& Value : Values)
      if (Reader.Read(&Value, 4) != 4) throw EndsInside();
  }
  for (int I = 0; I < 12; ++I) Matrix[FileToMatrix[I]] = Values[I];
  Matrix[3] = 0;
  Matrix[7] = 0;
  Matrix[11] = 0;
  Matrix[15] = 1;
  Reader.ReadString(Name);
}
