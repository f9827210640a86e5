#include "interchange/GltfDocument.h"

#include <climits>

#include <algorithm>
#include <cmath>
#include <cstring>

#include <nlohmann/json.hpp>

#include "interchange/GltfExport.h"
#include "interchange/GltfSource.h"
#include "runtime/FileLayer.h"

using nlohmann::json;

namespace {

[[noreturn]] void Fail(const std::string& What) { throw EGltfHardpoints("GltfHardpoints: " + What); }

bool EndsWith(std::string Text, const std::string& End) {
  std::transform(Text.begin(), Text.end(), Text.begin(), [](unsigned char C) { return char(std::tolower(C)); });
  return Text.size() >= End.size() && Text.compare(Text.size() - End.size(), End.size(), End) == 0;
}

uint32_t LittleEndian32(const unsigned char* P) {
  return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
}

std::string ReadBytes(TFileStream& File, int64_t Offset, size_t Count) {
  std::string Bytes(Count, '\0');
  File.Seek(Offset);
  size_t Got = 0;
  while (Got < Count) {
    const int32_t Part = File.Read(Bytes.data() + Got, int32_t(std::min<size_t>(Count - Got, 1 << 30)));
    if (Part <= 0) break;
    Got += size_t(Part);
  }
  Bytes.resize(Got);
  return Bytes;
}

// The JSON text of the file: the whole ".gltf", or the first chunk of a
// ".glb" (the binary chunk after it is only located, in Binary).
std::string JsonText(const std::string& FileName, TGlbBinary* Binary) {
  TFileStream File(FileName, TFileMode::OpenRead);
  const int64_t Size = File.Size();
  const std::string Head = ReadBytes(File, 0, 20);
  if (Head.size() >= 4 && std::memcmp(Head.data(), "glTF", 4) == 0) {
    const auto* P = reinterpret_cast<const unsigned char*>(Head.data());
    if (Head.size() < 20 || LittleEndian32(P + 4) != 2 || std::memcmp(P + 16, "JSON", 4) != 0)
      Fail(FileName + " is not a glTF file I can read: the binary container is not glTF 2.0 with its JSON first");
    const uint32_t Length = LittleEndian32(P + 12);
    if (Length > GltfLimits::MaxJsonBytes) Fail(FileName + " holds more JSON than a glTF file of hardpoints can");
    if (int64_t(Length) > Size - 20)
      Fail(FileName + " is not a glTF file I can read: its JSON chunk runs past the end of the file");
    // The binary chunk, when there is one, follows the JSON chunk.
    const int64_t Next = 20 + int64_t(Length);
    const std::string Chunk = Next <= Size - 8 ? ReadBytes(File, Next, 8) : std::string();
    if (Binary && Chunk.size() == 8 && std::memcmp(Chunk.data() + 4, "BIN\0", 4) == 0) {
      Binary->Offset = Next + 8;
      Binary->Length = LittleEndian32(reinterpret_cast<const unsigned char*>(Chunk.data()));
      if (Binary->Length > Size - Binary->Offset)
        Fail(FileName + " is not a glTF file I can read: its binary chunk runs past the end of the file");
    }
    return ReadBytes(File, 20, Length);
  }
  if (Size > int64_t(GltfLimits::MaxJsonBytes)) Fail(FileName + " holds more JSON than a glTF file of hardpoints can");
  return ReadBytes(File, 0, size_t(Size));
}

TMatrix4 LocalMatrix(const json& Node) {
  auto Numbers = [&](const char* Key, size_t Count, double* Out) {
    if (!Node.contains(Key)) return false;
    const json& A = Node[Key];
    if (!A.is_array() || A.size() != Count)
      Fail(std::string("a node's \"") + Key + "\" is not " + std::to_string(Count) + " numbers");
    for (size_t I = 0; I < Count; ++I) {
      if (!A[I].is_number()) Fail(std::string("a node's \"") + Key + "\" is not " + std::to_string(Count) + " numbers");
      Out[I] = A[I].get<double>();
    }
    return true;
  };
  TMatrix4 M{};
  if (Numbers("matrix", 16, M.data())) return M;
  std::array<double, 3> T{0, 0, 0}, S{1, 1, 1};
  std::array<double, 4> R{0, 0, 0, 1};
  Numbers("translation", 3, T.data());
  Numbers("rotation", 4, R.data());
  Numbers("scale", 3, S.data());
  return ComposeTrs(T, R, S);
}

void ReadMarks(const json& Extras, TGltfNode& Node) {
  if (!Extras.is_object()) return;
  auto Find = [&](const char* Key) -> const json* {
    auto It = Extras.find(Key);
    return It == Extras.end() ? nullptr : &*It;
  };
  if (const json* Mark = Find(GltfMarks::Hardpoint); Mark && Mark->is_number())
    Node.HardpointMark = Mark->get<double>();
  if (const json* Name = Find(GltfMarks::OriginalName); Name && Name->is_string())
    Node.OriginalName = Name->get<std::string>();
  if (const json* Latin1 = Find(GltfMarks::Latin1Name); Latin1 && Latin1->is_boolean())
    Node.Latin1Name = Latin1->get<bool>();
  if (const json* Sphere = Find(GltfMarks::CollisionSphere); Sphere && Sphere->is_boolean())
    Node.SphereMark = Sphere->get<bool>();
  if (const json* Helper = Find(GltfMarks::Helper); Helper && Helper->is_boolean())
    Node.HelperMark = Helper->get<bool>();
  if (const json* Kept = Find(GltfMarks::Matrix); Kept && Kept->is_array() && Kept->size() == 16) {
    std::array<float, 16> M{};
    for (size_t I = 0; I < 16; ++I) {
      if (!(*Kept)[I].is_number()) return;
      M[I] = float((*Kept)[I].get<double>());
      if (!std::isfinite(M[I])) return;
    }
    Node.KeptMatrix = M;
  }
}

std::vector<int> Indices(const json& Object, const char* Key) {
  std::vector<int> Result;
  if (!Object.contains(Key)) return Result;
  const json& A = Object[Key];
  if (!A.is_array()) Fail(std::string("\"") + Key + "\" is not a list of node numbers");
  if (A.size() > GltfLimits::MaxNodes) Fail(std::string("\"") + Key + "\" lists more nodes than a file can hold");
  for (const json& E : A) {
    if (!E.is_number_integer() || E.get<int64_t>() < 0 || E.get<int64_t>() >= int64_t(GltfLimits::MaxNodes))
      Fail(std::string("\"") + Key + "\" is not a list of node numbers");
    Result.push_back(int(E.get<int64_t>()));
  }
  return Result;
}

}  // namespace

TJsonShape JsonShape(const char* Text, size_t Size) {
  TJsonShape Shape;
  int Depth = 0;
  bool InString = false;
  for (size_t I = 0; I < Size; ++I) {
    const char C = Text[I];
    if (InString) {
      if (C == '\\')
        ++I;  // the escaped character cannot end the string
      else if (C == '"')
        InString = false;
    } else if (C == '"') {
      InString = true;
    } else if (C == '[' || C == '{') {
      Shape.Deepest = std::max(Shape.Deepest, ++Depth);
      ++Shape.Containers;
    } else if (C == ']' || C == '}') {
      --Depth;
    }
  }
  return Shape;
}

TGltfSource ReadGltfSource(const std::string& FileName) {
  TGltfSource Source;
  const std::string Text = JsonText(FileName, &Source.Binary);
  const TJsonShape Shape = JsonShape(Text.data(), Text.size());
  if (Shape.Deepest > GltfLimits::MaxNesting)
    Fail(FileName + " nests its JSON deeper than " + std::to_string(GltfLimits::MaxNesting) + " levels");
  if (Shape.Containers > GltfLimits::MaxContainers)
    Fail(FileName + " holds more than " + std::to_string(GltfLimits::MaxContainers) + " JSON arrays and objects");
  json Root;
  try {
    Root = json::parse(Text);
  } catch (const json::exception& E) {
    Fail(FileName + " is not a glTF file I can read: " + E.what());
  }
  if (!Root.is_object() || !Root.contains("asset") || !Root["asset"].is_object())
    Fail(FileName + " is not a glTF file I can read: it has no \"asset\"");
  Source.Json = std::move(Root);
  return Source;
}

TGltfDocument ReadGltfDocument(const std::string& FileName) {
  if (EndsWith(FileName, ".obj"))
    Fail(FileName + " is an OBJ file: OBJ carries no hardpoints; read them from the .glb or .gltf the export wrote");
  return GltfDocumentOf(ReadGltfSource(FileName).Json, FileName);
}

TGltfDocument GltfDocumentOf(const nlohmann::json& Root, const std::string& FileName) {
  TGltfDocument Document;
  try {
    if (Root.contains("nodes")) {
      const json& Nodes = Root["nodes"];
      if (!Nodes.is_array()) Fail(FileName + ": \"nodes\" is not a list");
      if (Nodes.size() > GltfLimits::MaxNodes)
        Fail(FileName + " holds more than " + std::to_string(GltfLimits::MaxNodes) + " nodes");
      for (const json& N : Nodes) {
        if (!N.is_object()) Fail(FileName + ": a node is not an object");
        TGltfNode Node;
        if (N.contains("name")) {
          if (!N["name"].is_string()) Fail(FileName + ": a node's name is not text");
          Node.Name = N["name"].get<std::string>();
        }
        Node.Children = Indices(N, "children");
        Node.HasMesh = N.contains("mesh");
        if (Node.HasMesh && N["mesh"].is_number_integer() && N["mesh"].get<int64_t>() >= 0 &&
            N["mesh"].get<int64_t>() <= INT32_MAX)
          Node.Mesh = int(N["mesh"].get<int64_t>());
        Node.IsCameraOrLight = N.contains("camera") || (N.contains("extensions") && N["extensions"].is_object() &&
                                                        N["extensions"].contains("KHR_lights_punctual"));
        Node.Local = LocalMatrix(N);
        if (N.contains("extras")) ReadMarks(N["extras"], Node);
        Document.Nodes.push_back(std::move(Node));
      }
    }
    // The default scene's nodes; without scenes, every node no other holds.
    const int64_t Scene =
        Root.contains("scene") && Root["scene"].is_number_integer() ? Root["scene"].get<int64_t>() : 0;
    if (Root.contains("scenes") && Root["scenes"].is_array() && Scene >= 0 && Scene < int64_t(Root["scenes"].size()) &&
        Root["scenes"][size_t(Scene)].is_object()) {
      Document.Top = Indices(Root["scenes"][size_t(Scene)], "nodes");
    } else {
      std::vector<bool> Held(Document.Nodes.size(), false);
      for (const TGltfNode& Node : Document.Nodes)
        for (int Child : Node.Children)
          if (size_t(Child) < Held.size()) Held[size_t(Child)] = true;
      for (size_t I = 0; I < Held.size(); ++I)
        if (!Held[I]) Document.Top.push_back(int(I));
    }
  } catch (const json::exception& E) {
    Fail(FileName + " is not a glTF file I can read: " + E.what());
  }
  return Document;
}
