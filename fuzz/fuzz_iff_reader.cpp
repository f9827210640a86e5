// Indexes the input as an IFF file, then walks every form reachable by
// navigation and calls every operation of the reader on it: the allowed ones
// with their results checked against the index, the refused ones expecting
// the reader's error and no change of state. Chunk data is read whole, then
// overwritten in place with other bytes, read back, and restored.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzFile.h"
#include "iff/IffReader.h"

namespace {

constexpr int32_t Block = 4096;

// Runs Operation, which the reader must refuse with its own error while
// leaving its navigation state as it was.
template <class F>
void ExpectRefused(TIffReader& Reader, F Operation) {
  TForm* Form = Reader.CurrentForm();
  const TChunk* Chunk = Reader.OpenChunkItem();
  bool Refused = false;
  try {
    Operation();
  } catch (const EIffReader&) {
    Refused = true;
  }
  FUZZ_CHECK(Refused);
  FUZZ_CHECK(Reader.CurrentForm() == Form && Reader.OpenChunkItem() == Chunk);
}

// Every node of the index lies inside its parent, in file order, with an
// even, non-negative size.
void CheckIndex(const TForm& Form) {
  std::vector<const TForm*> Pending{&Form};
  while (!Pending.empty()) {
    const TForm* F = Pending.back();
    Pending.pop_back();
    FUZZ_CHECK(F->Size >= 0 && F->Size % 2 == 0 && F->Offset >= 0);
    const int64_t End = int64_t(F->Offset) + 8 + F->Size;
    int64_t Last = F->Offset;
    for (const TChunk& C : F->Chunks) {
      FUZZ_CHECK(C.Parent == F && C.Size >= 0 && C.Size % 2 == 0);
      FUZZ_CHECK(C.Offset > F->Offset && C.Offset < End && C.Offset > Last);
      Last = C.Offset;
    }
    Last = F->Offset;
    for (const auto& Child : F->Forms) {
      FUZZ_CHECK(Child->Parent == F && Child->Offset > F->Offset && Child->Offset < End && Child->Offset > Last);
      Last = Child->Offset;
      Pending.push_back(Child.get());
    }
  }
}

int32_t IndexOfFirstChunk(const TForm& Form, const TIffTag& Tag) {
  for (size_t I = 0; I < Form.Chunks.size(); ++I)
    if (Form.Chunks[I].Tag == Tag) return int32_t(I);
  return -1;
}

int32_t IndexOfFirstForm(const TForm& Form, const TIffTag& Tag) {
  for (size_t I = 0; I < Form.Forms.size(); ++I)
    if (Form.Forms[I]->Tag == Tag) return int32_t(I);
  return -1;
}

// A tag that no child of Form carries (there are fewer children than tags).
TIffTag AbsentTag(const TForm& Form) {
  for (uint32_t N = 0;; ++N) {
    TIffTag Tag;
    Tag.Bytes = {uint8_t('~'), uint8_t(N >> 16), uint8_t(N >> 8), uint8_t(N)};
    if (IndexOfFirstChunk(Form, Tag) < 0 && IndexOfFirstForm(Form, Tag) < 0) return Tag;
  }
}

// Reads the open chunk from its first byte to its end or the file's,
// whichever comes first.
std::vector<uint8_t> ReadAll(TIffReader& Reader, bool& ReachedEnd) {
  const int32_t Size = Reader.CurrentSize();
  std::vector<uint8_t> Bytes;
  ReachedEnd = true;
  while (int32_t(Bytes.size()) < Size) {
    const int32_t Want = std::min<int32_t>(Block, Size - int32_t(Bytes.size()));
    const size_t Old = Bytes.size();
    Bytes.resize(Old + size_t(Want));
    const int32_t Got = Reader.Read(Bytes.data() + Old, Want);
    FUZZ_CHECK(Got >= 0 && Got <= Want);
    Bytes.resize(Old + size_t(Got));
    FUZZ_CHECK(Reader.Position() == 8 + int32_t(Bytes.size()));
    if (Got < Want) {
      ReachedEnd = false;
      break;
    }
  }
  return Bytes;
}

void VisitChunk(TIffReader& Reader, int32_t Index) {
  TForm& Form = *Reader.CurrentForm();
  const TChunk& Chunk = Form.Chunks[size_t(Index)];
  Reader.OpenChunkByIndex(Index);
  FUZZ_CHECK(Reader.OpenChunkItem() == &Chunk);
  FUZZ_CHECK(Reader.CurrentTag() == Chunk.Tag && Reader.CurrentSize() == Chunk.Size);
  FUZZ_CHECK(Reader.Position() == 8);

  // Allowed and refused while a chunk is open.
  FUZZ_CHECK(Reader.FormExists(Chunk.Tag) == (IndexOfFirstForm(Form, Chunk.Tag) >= 0));
  if (!Form.Forms.empty()) FUZZ_CHECK(Reader.GetForm(0) == Form.Forms[0].get());
  ExpectRefused(Reader, [&] { Reader.OpenChunkByIndex(Index); });
  ExpectRefused(Reader, [&] { Reader.FormCount(); });
  ExpectRefused(Reader, [&] { Reader.ChunkCount(); });
  ExpectRefused(Reader, [&] { Reader.OpenForm(Chunk.Tag); });
  ExpectRefused(Reader, [&] { Reader.CloseForm(); });
  ExpectRefused(Reader, [&] { Reader.Read(nullptr, -1); });

  bool ReachedEnd = false;
  const std::vector<uint8_t> Original = ReadAll(Reader, ReachedEnd);
  if (ReachedEnd) {
    uint8_t Byte;
    ExpectRefused(Reader, [&] { Reader.Read(&Byte, 1); });
    ExpectRefused(Reader, [&] { Reader.Write(&Byte, 1); });
  }

  // In place: other bytes, read back, then the original ones again. The
  // file is the fuzzer's scratch copy. Writes go through OpenChunk by tag,
  // which reaches only the first chunk of that tag.
  if (IndexOfFirstChunk(Form, Chunk.Tag) == Index && !Original.empty()) {
    std::vector<uint8_t> Flipped(Original);
    for (uint8_t& B : Flipped) B = uint8_t(~B);
    Reader.OpenChunk(Chunk.Tag);
    FUZZ_CHECK(Reader.OpenChunkItem() == &Chunk && Reader.Position() == 8);
    FUZZ_CHECK(Reader.Write(Flipped.data(), int32_t(Flipped.size())) == int32_t(Flipped.size()));
    Reader.OpenChunk(Chunk.Tag);
    std::vector<uint8_t> Back(Flipped.size());
    FUZZ_CHECK(Reader.Read(Back.data(), int32_t(Back.size())) == int32_t(Back.size()));
    FUZZ_CHECK(Back == Flipped);
    Reader.OpenChunk(Chunk.Tag);
    FUZZ_CHECK(Reader.Write(Original.data(), int32_t(Original.size())) == int32_t(Original.size()));
  }

  // A string from the first byte: ends at a zero byte, or is refused.
  Reader.OpenChunk(Chunk.Tag);
  Reader.CloseChunk();
  Reader.OpenChunkByIndex(Index);
  try {
    std::string S;
    const int32_t Length = Reader.ReadString(S);
    FUZZ_CHECK(Length == int32_t(S.size()) && Length + 1 <= Chunk.Size);
    FUZZ_CHECK(Reader.Position() == 8 + Length + 1);
  } catch (const EIffReader&) {}
  Reader.CloseChunk();
  FUZZ_CHECK(Reader.OpenChunkItem() == nullptr);
}

// The refusals of a form with no chunk open.
void VisitForm(TIffReader& Reader) {
  TForm& Form = *Reader.CurrentForm();
  FUZZ_CHECK(Reader.CurrentTag() == Form.Tag && Reader.CurrentSize() == Form.Size);
  FUZZ_CHECK(Reader.FormCount() == int32_t(Form.Forms.size()));
  FUZZ_CHECK(Reader.ChunkCount() == int32_t(Form.Chunks.size()));
  const TIffTag Absent = AbsentTag(Form);
  FUZZ_CHECK(!Reader.FormExists(Absent));
  ExpectRefused(Reader, [&] { Reader.OpenForm(Absent); });
  ExpectRefused(Reader, [&] { Reader.OpenChunk(Absent); });
  ExpectRefused(Reader, [&] { Reader.OpenChunkByIndex(-1); });
  ExpectRefused(Reader, [&] { Reader.OpenChunkByIndex(Reader.ChunkCount()); });
  ExpectRefused(Reader, [&] { Reader.GetForm(-1); });
  ExpectRefused(Reader, [&] { Reader.GetForm(Reader.FormCount()); });
  ExpectRefused(Reader, [&] { Reader.CloseChunk(); });
  ExpectRefused(Reader, [&] { Reader.Position(); });
  uint8_t Byte = 0;
  ExpectRefused(Reader, [&] { Reader.Read(&Byte, 1); });
  ExpectRefused(Reader, [&] { Reader.Write(&Byte, 1); });
  std::string S;
  ExpectRefused(Reader, [&] { Reader.ReadString(S); });
  if (!Form.Parent) ExpectRefused(Reader, [&] { Reader.CloseForm(); });
  for (int32_t I = 0; I < int32_t(Form.Chunks.size()); ++I) VisitChunk(Reader, I);
}

// Depth first through every form reachable by its tag (the first of equal
// tags), without recursion: files may nest very deep.
void Walk(TIffReader& Reader) {
  std::vector<int32_t> Next{0};
  VisitForm(Reader);
  while (!Next.empty()) {
    TForm& Form = *Reader.CurrentForm();
    int32_t& I = Next.back();
    while (I < int32_t(Form.Forms.size()) && IndexOfFirstForm(Form, Form.Forms[size_t(I)]->Tag) != I) ++I;
    if (I < int32_t(Form.Forms.size())) {
      TForm* Child = Reader.GetForm(I);
      ++I;
      Reader.OpenForm(Child->Tag);
      FUZZ_CHECK(Reader.CurrentForm() == Child);
      Next.push_back(0);
      VisitForm(Reader);
      continue;
    }
    Next.pop_back();
    if (!Next.empty()) {
      Reader.CloseForm();
      FUZZ_CHECK(Reader.CurrentForm() == Form.Parent);
    }
  }
  FUZZ_CHECK(Reader.CurrentForm() == Reader.Root());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFuzzFile File;
  const std::string& Name = File.Hold(Data, Size);
  try {
    TIffReader Reader(Name);
    CheckIndex(*Reader.Root());
    if (Reader.RootIsChunk()) FUZZ_CHECK(Reader.Root()->Chunks.empty() && Reader.Root()->Forms.empty());
    Walk(Reader);
  } catch (const EIffReader&) {
  } catch (const EIffReader_ErrorInChunk&) {
  } catch (const EIffReader_ErrorInForm&) {}
  return 0;
}
