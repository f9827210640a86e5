#include "editor/SphereFile.h"

#include <cstdint>
#include <cstring>

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
  if (Got != Count)
    throw ESphereFile("ReadSphere: " + Reader.FileName() + " ends inside the SPHR chunk!");
}

}  // namespace

void ReadSphere(const std::string& FileName, float (&Center)[3], float& Diameter,
                bool& TreePresent, bool ReadOnly) {
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

void WriteSphere(const std::string& FileName, const float (&Center)[3], float Diameter) {
  uint8_t NewData[SphereBytes];
  std::memcpy(NewData, Center, CenterBytes);
  std::memcpy(NewData + CenterBytes, &Diameter, 4);

  TIffReader Reader(FileName);
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

  int32_t Written = Reader.Write(NewData, SphereBytes);
  if (Written != SphereBytes) {
    std::string What = "WriteSphere: only " + std::to_string(Written) + " of the " +
                       std::to_string(SphereBytes) + " sphere bytes could be written to " +
                       FileName + "; ";
    bool Restored = false;
    if (HaveOldData) {
      try {
        Reader.OpenChunk(TagSPHR);
        Restored = Reader.Write(OldData, SphereBytes) == SphereBytes;
        if (Restored) Reader.Flush();
      } catch (const Exception&) {
        Restored = false;
      }
    }
    // The failure being reported is the short write; whether the old bytes
    // could be put back is part of its message.
    throw ESphereFile(What + (Restored ? "the file was left as it was!"
                                       : "the file may hold a part of the new values!"));
  }
  Reader.Flush();
  Reader.CloseChunk();
  Reader.CloseForm();
}
