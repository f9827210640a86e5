#include "iff/IffTreePrinter.h"

#include <vector>

#include "iff/IffReader.h"

std::string EscapedTag(const TIffTag& Tag) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string Text;
  for (uint8_t B : Tag.Bytes) {
    if (B >= 0x20 && B <= 0x7E) {
      Text.push_back(char(B));
    } else {
      Text += "\\x";
      Text.push_back(Digits[B >> 4]);
      Text.push_back(Digits[B & 15]);
    }
  }
  return Text;
}

namespace {

// Lines are gathered in a block and handed to the stream in large pieces.
class TLineSink {
public:
  explicit TLineSink(std::ostream& Out) : FOut(Out) {}
  ~TLineSink() { Drain(); }

  void Line(size_t Depth, const char* Kind, const TIffItem& Item) {
    // Deep trees have long indents: write those straight through.
    const size_t Indent = Depth * 2;
    if (FIndent.size() < Indent) FIndent.resize(Indent, ' ');
    if (Indent > BlockSize) {
      Drain();
      FOut.write(FIndent.data(), std::streamsize(Indent));
    } else {
      FBlock.append(FIndent, 0, Indent);
    }
    FBlock += Kind;
    FBlock += ' ';
    FBlock += EscapedTag(Item.Tag);
    FBlock += ' ';
    FBlock += std::to_string(Item.Offset);
    FBlock += ' ';
    FBlock += std::to_string(Item.Size);
    FBlock += '\n';
    if (FBlock.size() >= BlockSize) Drain();
  }

  void Drain() {
    FOut.write(FBlock.data(), std::streamsize(FBlock.size()));
    FBlock.clear();
  }

private:
  static constexpr size_t BlockSize = 64 * 1024;
  std::ostream& FOut;
  std::string FBlock;
  std::string FIndent;
};

// A form being printed and how far into its two child lists the walk is.
struct TPlace {
  const TForm* Form;
  size_t NextChunk;
  size_t NextForm;
};

}  // namespace

void PrintIffTree(const TIffReader& Reader, std::ostream& Out) {
  TLineSink Sink(Out);
  const TForm* Root = Reader.Root();
  if (Reader.RootIsChunk()) {
    Sink.Line(0, "CHUNK", *Root);
    return;
  }
  Sink.Line(0, "FORM", *Root);
  std::vector<TPlace> Path{{Root, 0, 0}};
  while (!Path.empty()) {
    TPlace& Here = Path.back();
    const auto& Chunks = Here.Form->Chunks;
    const auto& Forms = Here.Form->Forms;
    const bool ChunkLeft = Here.NextChunk < Chunks.size();
    const bool FormLeft = Here.NextForm < Forms.size();
    if (!ChunkLeft && !FormLeft) {
      Path.pop_back();
      continue;
    }
    const size_t Depth = Path.size();
    if (ChunkLeft && (!FormLeft || Chunks[Here.NextChunk].Offset < Forms[Here.NextForm]->Offset)) {
      Sink.Line(Depth, "CHUNK", Chunks[Here.NextChunk++]);
    } else {
      const TForm* Child = Forms[Here.NextForm++].get();
      Sink.Line(Depth, "FORM", *Child);
      Path.push_back({Child, 0, 0});  // Here is not used after this
    }
  }
}
