#include "interchange/ObjMeshes.h"

#include <charconv>
#include <cmath>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "runtime/FileLayer.h"
#include "runtime/Latin1Text.h"

namespace {

// The lines of a file, read in blocks: a file of any size costs one block
// and its longest line.
class TLineReader {
public:
  explicit TLineReader(const std::string& FileName) : FFile(FileName, TFileMode::OpenRead) {}
  bool Next(std::string_view& Line) {
    for (;;) {
      const size_t End = FText.find('\n', FAt);
      if (End != std::string::npos) {
        Line = std::string_view(FText).substr(FAt, End - FAt);
        FAt = End + 1;
        break;
      }
      if (FDone) {
        if (FAt >= FText.size()) return false;
        Line = std::string_view(FText).substr(FAt);
        FAt = FText.size();
        break;
      }
      FText.erase(0, FAt);
      FAt = 0;
      const size_t Had = FText.size();
      FText.resize(Had + (1 << 20));
      const int32_t Got = FFile.Read(FText.data() + Had, 1 << 20);
      FText.resize(Had + size_t(std::max(Got, 0)));
      FDone = Got <= 0;
    }
    ++FNumber;
    if (!Line.empty() && Line.back() == '\r') Line.remove_suffix(1);
    return true;
  }
  int64_t Number() const { return FNumber; }

private:
  TFileStream FFile;
  std::string FText;
  size_t FAt = 0;
  bool FDone = false;
  int64_t FNumber = 0;
};

std::string_view Word(std::string_view& Rest) {
  size_t Start = Rest.find_first_not_of(" \t");
  if (Start == std::string_view::npos) {
    Rest = {};
    return {};
  }
  Rest.remove_prefix(Start);
  const size_t End = std::min(Rest.find_first_of(" \t"), Rest.size());
  const std::string_view Result = Rest.substr(0, End);
  Rest.remove_prefix(End);
  return Result;
}

std::string_view Trimmed(std::string_view Text) {
  const size_t Start = Text.find_first_not_of(" \t");
  if (Start == std::string_view::npos) return {};
  const size_t End = Text.find_last_not_of(" \t");
  return Text.substr(Start, End - Start + 1);
}

class TObjReader {
public:
  TObjReader(const std::string& FileName, TImportMaterials& Materials, TLevelBuilders& Levels, std::ostream& Notes)
      : FFile(FileName), FMaterials(Materials), FLevels(Levels), FNotes(Notes) {}
  void Read(std::optional<int64_t> OneLevel);

private:
  [[noreturn]] void Fail(int64_t Line, const std::string& What) const {
    throw EMeshImport("Import: " + FFile + " line " + std::to_string(Line) + ": " + What);
  }
  float Number(std::string_view& Rest, int64_t Line, const char* What, bool Optional = false, float Default = 0);
  size_t Index(std::string_view Text, size_t Count, int64_t Line, const char* What);
  // The pictures of the materials used, from the material libraries named
  // ("mtllib", at Line each), for an import that writes textures.
  void FindPictures(const std::vector<std::pair<std::string, int64_t>>& Libraries);

  std::string FFile;
  TImportMaterials& FMaterials;
  TLevelBuilders& FLevels;
  std::ostream& FNotes;
  std::vector<TVector> FPositions, FNormals;
  std::vector<std::pair<float, float>> FTexCoords;
};

float TObjReader::Number(std::string_view& Rest, int64_t Line, const char* What, bool Optional, float Default) {
  const std::string_view Text = Word(Rest);
  if (Text.empty()) {
    if (Optional) return Default;
    Fail(Line, std::string("a ") + What + " needs more numbers");
  }
  float Value = 0;
  const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  if (Error != std::errc() || End != Text.data() + Text.size() || !std::isfinite(Value))
    Fail(Line,
         std::string("a ") + What + " holds \"" + EscapeControlBytes(std::string(Text)) + "\", not a finite number");
  return Value;
}

size_t TObjReader::Index(std::string_view Text, size_t Count, int64_t Line, const char* What) {
  int64_t Value = 0;
  const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  if (Error != std::errc() || End != Text.data() + Text.size() || Value == 0)
    Fail(Line,
         std::string("a face's ") + What + " index \"" + EscapeControlBytes(std::string(Text)) + "\" is no index");
  const int64_t Resolved = Value > 0 ? Value - 1 : int64_t(Count) + Value;
  if (Resolved < 0 || Resolved >= int64_t(Count))
    Fail(Line, std::string("a face's ") + What + " index " + std::to_string(Value) + " lies outside the " +
                   std::to_string(Count) + " given before it");
  return size_t(Resolved);
}

void TObjReader::Read(std::optional<int64_t> OneLevel) {
  // The levels the names give, known before the first face, so that faces
  // without a level name go into the first of them.
  std::set<int64_t> Named;
  if (!OneLevel) {
    TLineReader Scan(FFile);
    std::string_view Line;
    while (Scan.Next(Line)) {
      std::string_view Rest = Line;
      const std::string_view Key = Word(Rest);
      if (Key == "o" || Key == "g")
        if (const auto Level = LevelNumberInName(std::string(Trimmed(Rest)))) Named.insert(*Level);
    }
  }
  const int64_t First = OneLevel ? *OneLevel : Named.empty() ? 0 : *Named.begin();
  std::optional<int64_t> ObjectLevel, GroupLevel;
  std::string ObjectName;
  bool ToldUnnamed = false, ToldLines = false;
  int32_t Slot = -1;
  TLineReader Lines(FFile);
  std::string_view Line;
  std::vector<TSourceCorner> Corners;
  std::vector<size_t> Sources;
  int64_t Faces = 0;
  std::vector<std::pair<std::string, int64_t>> Libraries;
  while (Lines.Next(Line)) {
    const int64_t At = Lines.Number();
    std::string_view Rest = Line;
    const std::string_view Key = Word(Rest);
    if (Key == "v") {
      const float X = Number(Rest, At, "position"), Y = Number(Rest, At, "position"), Z = Number(Rest, At, "position");
      FPositions.push_back({X, Y, Z});
    } else if (Key == "vt") {
      const float U = Number(Rest, At, "texture coordinate"), V = Number(Rest, At, "texture coordinate", true);
      FTexCoords.emplace_back(U, V);
    } else if (Key == "vn") {
      const float X = Number(Rest, At, "normal"), Y = Number(Rest, At, "normal"), Z = Number(Rest, At, "normal");
      FNormals.push_back({X, Y, Z});
    } else if (Key == "o" || Key == "g") {
      const std::string Name(Trimmed(Rest));
      (Key == "o" ? ObjectLevel : GroupLevel) = LevelNumberInName(Name);
      if (Key == "o") ObjectName = Name, GroupLevel.reset();
    } else if (Key == "mtllib") {
      Libraries.emplace_back(Trimmed(Rest), At);
    } else if (Key == "usemtl") {
      const std::string Name(Trimmed(Rest));
      Slot = Name.empty() ? -1 : FMaterials.Slot(Name);
    } else if (Key == "l" || Key == "p") {
      if (!ToldLines) FNotes << FFile << ": points and lines are left out (line " << At << ")\n";
      ToldLines = true;
    } else if (Key == "f") {
      Corners.clear();
      Sources.clear();
      for (std::string_view Corner = Word(Rest); !Corner.empty(); Corner = Word(Rest)) {
        const size_t Slash = Corner.find('/');
        TSourceCorner Source;
        const size_t P = Index(Corner.substr(0, Slash), FPositions.size(), At, "position");
        Source.Position = FPositions[P];
        Sources.push_back(P + 1);
        if (Slash != std::string_view::npos) {
          const std::string_view After = Corner.substr(Slash + 1);
          const size_t Slash2 = After.find('/');
          const std::string_view Tex = After.substr(0, Slash2);
          if (!Tex.empty()) {
            const auto& UV = FTexCoords[Index(Tex, FTexCoords.size(), At, "texture coordinate")];
            Source.S = UV.first;
            Source.T = UV.second;
          }
          if (Slash2 != std::string_view::npos)
            Source.Normal = FNormals[Index(After.substr(Slash2 + 1), FNormals.size(), At, "normal")];
        }
        Corners.push_back(Source);
      }
      if (Corners.size() < 3) Fail(At, "a face needs at least 3 corners");
      std::optional<int64_t> Level = OneLevel ? OneLevel : ObjectLevel ? ObjectLevel : GroupLevel;
      if (!Level) {
        if (!Named.empty() && !ToldUnnamed)
          FNotes << FFile << ": object \"" << EscapeControlBytes(ObjectName)
                 << "\" has no level in its name; it goes into the first level\n";
        ToldUnnamed = true;
        Level = First;
      }
      FLevels.try_emplace(*Level).first->second.AddPolygon(Corners, Slot, [&] {
        std::string Where = FFile + " line " + std::to_string(At) + ", face " + std::to_string(Faces + 1) + " (corners";
        for (size_t S : Sources) Where += " " + std::to_string(S);
        return Where + ")";
      });
      ++Faces;
    }
  }
  if (FMaterials.WantsPictures) FindPictures(Libraries);
}

// The picture file of a "map_Kd" line: its options ("-s 1 1 1", "-bm 0.5",
// "-clamp on", ...) skipped, the rest the file's name, spaces and all.
std::string_view MapFileName(std::string_view Rest) {
  static const std::map<std::string_view, int> Arguments{
      {"-blendu", 1}, {"-blendv", 1}, {"-boost", 1}, {"-mm", 2}, {"-o", 3},       {"-s", 3},
      {"-t", 3},      {"-texres", 1}, {"-clamp", 1}, {"-bm", 1}, {"-imfchan", 1}, {"-type", 1},
  };
  for (;;) {
    std::string_view Next = Rest;
    const std::string_view Option = Word(Next);
    const auto Found = Arguments.find(Option);
    if (Found == Arguments.end()) return Trimmed(Rest);
    // The offsets and scales take up to three numbers, the others exactly theirs.
    for (int I = 0; I < Found->second; ++I) {
      std::string_view After = Next;
      const std::string_view Value = Word(After);
      float Number = 0;
      const bool IsNumber =
          std::from_chars(Value.data(), Value.data() + Value.size(), Number).ptr == Value.data() + Value.size();
      if (Value.empty() || (Found->second == 3 && I > 0 && !IsNumber)) break;
      Next = After;
    }
    Rest = Next;
  }
}

void TObjReader::FindPictures(const std::vector<std::pair<std::string, int64_t>>& Libraries) {
  // Each used material's picture: the first library that gives the name
  // one wins, as the first "newmtl" of a name does within a library.
  std::map<std::string, int32_t> Used;
  for (size_t Slot = 0; Slot < FMaterials.Names().size(); ++Slot)
    if (!FMaterials.HasPicture(int32_t(Slot))) Used.emplace(FMaterials.Names()[Slot], int32_t(Slot));
  for (const auto& [Named, At] : Libraries) {
    const std::optional<std::string> Library = FileBelowMesh(FFile, Named);
    if (!Library)
      Fail(At,
           "its material library \"" + EscapeControlBytes(Named) + "\" is no file in the mesh's folder or below it");
    if (!FileExists(*Library)) Fail(At, "its material library " + *Library + " is not there");
    FMaterials.Libraries.push_back(*Library);
    TLineReader Lines(*Library);
    std::string_view Line;
    std::optional<int32_t> Slot;
    while (Lines.Next(Line)) {
      std::string_view Rest = Line;
      const std::string_view Key = Word(Rest);
      if (Key == "newmtl") {
        const auto Found = Used.find(std::string(Trimmed(Rest)));
        Slot.reset();
        if (Found != Used.end() && !FMaterials.HasPicture(Found->second)) Slot = Found->second;
      } else if (Key == "map_Kd" && Slot) {
        const std::string Picture(MapFileName(Rest));
        const std::optional<std::string> File = FileBelowMesh(*Library, Picture);
        if (!File)
          throw EMeshImport("Import: " + *Library + " line " + std::to_string(Lines.Number()) + ": map_Kd names \"" +
                            EscapeControlBytes(Picture) + "\", which is no file in its folder or below it");
        TMaterialPicture Found;
        Found.File = Found.Name = *File;
        Found.UpsideDown = true;
        FMaterials.SetPicture(*Slot, std::move(Found));
        Slot.reset();
      }
    }
  }
}

}  // namespace

void ReadObjMeshes(const std::string& FileName, std::optional<int64_t> OneLevel, TImportMaterials& Materials,
                   TLevelBuilders& Levels, std::ostream& Notes) {
  {
    TFileStream File(FileName, TFileMode::OpenRead);
    // A corner takes at least 2 bytes of text ("1 ") and about 40 of
    // records and tables; text as Blender writes it, 4 times its size.
    CheckImportMemory(uint64_t(File.Size()) * 4, FileName);
  }
  TObjReader(FileName, Materials, Levels, Notes).Read(OneLevel);
}
