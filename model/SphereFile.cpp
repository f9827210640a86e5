#include "model/SphereFile.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "iff/IffReader.h"

namespace {

constexpr TIffTag TagCOLL("COLL");
constexpr TIffTag TagSPHR("SPHR");
constexpr TIffTag TagEXTN("EXTN");

constexpr int32_t CenterBytes = 12;
constexpr int32_t SphereBytes = 16;

// Reads Count bytes of the open chunk. The reader has already refused a read
// past the chunk's end; a file that itself ends inside the chunk delivers
// fewer, and a half-read value must not reach the caller's fields.
void ReadWhole(TIffReader& Reader, void* Buffer, int32_t Count) {
  int32_t Got = Reader.Read(Buffer, Count);
  if (Got != Count) throw ESphereFile("ReadSphere: " + Reader.FileName() + " ends inside the SPHR chunk!");
}

// After a write that failed: true when the chunk again holds OldData (either
// nothing had been written, or the old bytes were written back and flushed).
// Otherwise false, with the reason in Problem.
bool KeepOrPutBack(TIffReader& Reader, const uint8_t (&OldData)[SphereBytes], std::string& Problem) {
  try {
    uint8_t Now[SphereBytes];
    Reader.OpenChunk(TagSPHR);
    if (Reader.Read(Now, SphereBytes) == SphereBytes && std::memcmp(Now, OldData, SphereBytes) == 0) return true;
    Reader.OpenChunk(TagSPHR);
    Reader.Write(OldData, SphereBytes);
    Reader.Flush();
    return true;
  } catch (const Exception& E) {
    Problem = E.Message();
    return false;
  }
}

}  // namespace

void ReadSphere(const std::string& FileName, float (&Center)[3], float& Diameter, bool& TreePresent, bool ReadOnly) {
  TIffReader Reader(FileName, ReadOnly);
  Reader.OpenForm(TagCOLL);
  Reader.OpenChunk(TagSPHR);

  uint8_t CenterData[CenterBytes];
  ReadWhole(Reader, CenterData, CenterBytes);
  std::memcpy(Center, CenterData, CenterBytes);

  uint8_t DiameterData[4];
  ReadWhole(Reader, DiameterData, 4);
  std::memcpy(&Diameter, DiameterData, 4);

  Reader.CloseChunk();
  TreePresent = Reader.FormExists(TagEXTN);
  Reader.CloseForm();
}

void WriteSphere(const std::string& FileName, const float (&Center)[3], float Diameter, const TFileIdentity* Fitted) {
  uint8_t NewData[SphereBytes];
  std::memcpy(NewData, Center, CenterBytes);
  std::memcpy(NewData + CenterBytes, &Diameter, 4);

  TIffReader Reader(FileName);
  // The file this write holds open, not merely one of the same name.
  if (Fitted && Reader.Identity() != *Fitted)
    throw ESphereFile(
        "WriteSphere: " + FileName +
        " is no longer the file the sphere was fitted to (replaced or changed since); nothing was written!");
  Reader.OpenForm(TagCOLL);
  Reader.OpenChunk(TagSPHR);

  // Keep the bytes being replaced, to put them back should the file take the
  // new ones only in part. A chunk too short for them is left to the write
  // below, which refuses it before anything is written.
  uint8_t OldData[SphereBytes];
  bool HaveOldData = false;
  if (Reader.CurrentSize() >= SphereBytes) {
    HaveOldData = Reader.Read(OldData, SphereBytes) == SphereBytes;
    Reader.OpenChunk(TagSPHR);  // back to the first data byte
  }

  try {
    const int32_t Written = Reader.Write(NewData, SphereBytes);
    if (Written != SphereBytes)
      throw ESphereFile("WriteSphere: only " + std::to_string(Written) + " of the 16 sphere bytes reached " + FileName +
                        "!");
  } catch (const Exception& WriteError) {
    if (!HaveOldData) throw;
    std::string Problem;
    if (!KeepOrPutBack(Reader, OldData, Problem))
      throw ESphereFile(WriteError.Message() + " The previous sphere bytes could not be put back: " + Problem);
    throw;
  }
  Reader.Flush();
  Reader.CloseChunk();
  Reader.CloseForm();
}
