#include "model/THardpoint.h"

#include "iff/IffReader.h"

THardpoint::THardpoint(TIffReader& Reader) {
  for (int I = 0; I < 12; ++I) {
    float Value = 0;
    if (Reader.Read(&Value, 4) != 4)
      throw EHardpoint("THardpoint: " + Reader.FileName() + " ends inside the matrix of a hardpoint!");
    Matrix[FileToMatrix[I]] = Value;
  }
  Matrix[3] = 0;
  Matrix[7] = 0;
  Matrix[11] = 0;
  Matrix[15] = 1;
  Reader.ReadString(Name);
}
