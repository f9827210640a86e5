#include "interchange/GltfMeshes.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>

#include "interchange/ExportedModel.h"
#include "interchange/ExportedTextures.h"
#include "interchange/GltfExport.h"
#include "interchange/GltfHardpoints.h"
#include "interchange/GltfSource.h"
#include "runtime/FileLayer.h"
#include "runtime/Latin1Text.h"

using nlohmann::json;

namespace {

constexpr int Float = 5126, UnsignedByte = 5121, UnsignedShort = 5123, UnsignedInt = 5125;
const TMatrix4 Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// One accessor, checked against its buffer view and buffer: Count elements
// of Components values each, Stride bytes apart from Data.
struct TAccessor {
  const uint8_t* Data = nullptr;  // nullptr: every value is zero (an accessor without a buffer view)
  size_t Count = 0;
  size_t Stride = 0;
  int ComponentType = Float;
  int Components = 1;
  bool Normalized = false;

  double Value(size_t Element, int Component) const {
    if (!Data) return 0;
    const uint8_t* At = Data + Element * Stride;
    switch (ComponentType) {
      case Float: {
        float V;
        std::memcpy(&V, At + 4 * Component, 4);
        return V;
      }
      case UnsignedByte: return Normalized ? At[Component] / 255.0 : At[Component];
      case UnsignedShort: {
        uint16_t V;
        std::memcpy(&V, At + 2 * Component, 2);
        return Normalized ? V / 65535.0 : V;
      }
      default: {
        uint32_t V;
        std::memcpy(&V, At + 4 * Component, 4);
        return V;
      }
    }
  }
  float FloatValue(size_t Element, int Component) const {
    if (ComponentType != Float) return float(Value(Element, Component));
    if (!Data) return 0;
    float V;
    std::memcpy(&V, Data + Element * Stride + 4 * Component, 4);
    return V;
  }
};

int ComponentBytes(int Type) {
  return Type == Float || Type == UnsignedInt ? 4 : Type == 5122 || Type == UnsignedShort ? 2 : 1;
}

class TGltfMeshReader {
public:
  TGltfMeshReader(const std::string& FileName, TGltfSource& Source, TImportMaterials& Materials, std::ostream& Notes)
      : FFile(FileName), FJson(Source.Json), FBinary(Source.Binary), FMaterials(Materials), FNotes(Notes) {}

  // Every triangle of mesh Mesh, transformed by World, into Builder.
  void AddMesh(int Mesh, const TMatrix4& World, TMeshBuilder& Builder);
  // The level the export kept in mesh Mesh's marks, when its triangles are
  // still the ones the export wrote from it.
  std::optional<TModelMesh> ExactLevel(int Mesh, const TMatrix4& World);
  // The bytes the meshes' buffers take (read before any is).
  uint64_t BufferBytes(const std::set<int>& Meshes);
  // The corners the meshes' triangles have.
  uint64_t CornerCount(const std::set<int>& Meshes);
  std::string MeshName(int Mesh);  // as messages name it
  std::string MeshText(int Mesh);  // as the file names it

private:
  [[noreturn]] void Fail(const std::string& What) const { throw EMeshImport("Import: " + FFile + ": " + What); }
  const json& Item(const char* List, int64_t Index, const std::string& Who);
  int64_t Integer(const json& Object, const char* Key, int64_t Default, const std::string& Who);
  const std::vector<uint8_t>& Buffer(int64_t Index);
  TAccessor Accessor(int64_t Index, const std::string& Who);
  TAccessor BufferViewBytes(int64_t Index, const std::string& Who);
  int MaterialSlot(const json& Primitive);
  // Where material Material's base colour picture is, kept for Slot when
  // the import writes textures and the slot has none yet.
  void FindPicture(int64_t Material, int32_t Slot);
  // The corners of primitive P's triangles in their order, three each,
  // counter-clockwise from the front once transformed; false for points
  // and lines.
  bool Triangles(int Mesh, size_t P, const TMatrix4& World, std::vector<TSourceCorner>& Corners,
                 std::vector<uint32_t>& Sources);

  std::string FFile;
  const json& FJson;
  TGlbBinary FBinary;
  TImportMaterials& FMaterials;
  std::ostream& FNotes;
  std::map<int64_t, std::vector<uint8_t>> FBuffers;
  bool FToldLines = false;
};

const json& TGltfMeshReader::Item(const char* List, int64_t Index, const std::string& Who) {
  if (!FJson.contains(List) || !FJson[List].is_array() || Index < 0 || size_t(Index) >= FJson[List].size() ||
      !FJson[List][size_t(Index)].is_object())
    Fail(Who + " names " + List + " " + std::to_string(Index) + ", which the file does not have");
  return FJson[List][size_t(Index)];
}

int64_t TGltfMeshReader::Integer(const json& Object, const char* Key, int64_t Default, const std::string& Who) {
  if (!Object.contains(Key)) return Default;
  const json& V = Object[Key];
  if (!V.is_number_integer() || V.get<int64_t>() < 0)
    Fail(Who + ": \"" + Key + "\" is not a whole number of at least 0");
  return V.get<int64_t>();
}

std::string TGltfMeshReader::MeshName(int Mesh) {
  const json& M = Item("meshes", Mesh, "a node");
  if (M.contains("name") && M["name"].is_string())
    return "mesh \"" + EscapeControlBytes(M["name"].get<std::string>()) + "\"";
  return "mesh " + std::to_string(Mesh);
}

std::string TGltfMeshReader::MeshText(int Mesh) {
  const json& M = Item("meshes", Mesh, "a node");
  return M.contains("name") && M["name"].is_string() ? M["name"].get<std::string>() : std::string();
}

std::vector<uint8_t> DecodeBase64(const std::string& Text, size_t From, bool& Ok) {
  std::vector<uint8_t> Bytes;
  Bytes.reserve((Text.size() - From) / 4 * 3);
  uint32_t Bits = 0;
  int Held = 0;
  Ok = true;
  for (size_t I = From; I < Text.size(); ++I) {
    const char C = Text[I];
    int V;
    if (C >= 'A' && C <= 'Z')
      V = C - 'A';
    else if (C >= 'a' && C <= 'z')
      V = C - 'a' + 26;
    else if (C >= '0' && C <= '9')
      V = C - '0' + 52;
    else if (C == '+')
      V = 62;
    else if (C == '/')
      V = 63;
    else if (C == '=')
      break;
    else {
      Ok = false;
      break;
    }
    Bits = Bits << 6 | uint32_t(V);
    if ((Held += 6) >= 8) {
      Held -= 8;
      Bytes.push_back(uint8_t(Bits >> Held));
    }
  }
  return Bytes;
}

// A relative URI's path with its "%XX" escapes decoded.
std::string UriPath(const std::string& Uri) {
  std::string Name;
  for (size_t I = 0; I < Uri.size(); ++I) {
    if (Uri[I] == '%' && I + 2 < Uri.size() && std::isxdigit(static_cast<unsigned char>(Uri[I + 1])) &&
        std::isxdigit(static_cast<unsigned char>(Uri[I + 2]))) {
      Name += char(std::stoi(Uri.substr(I + 1, 2), nullptr, 16));
      I += 2;
    } else {
      Name += Uri[I];
    }
  }
  return Name;
}

const std::vector<uint8_t>& TGltfMeshReader::Buffer(int64_t Index) {
  if (auto Found = FBuffers.find(Index); Found != FBuffers.end()) return Found->second;
  const std::string Who = "buffer " + std::to_string(Index);
  const json& B = Item("buffers", Index, "a buffer view");
  const int64_t Length = Integer(B, "byteLength", -1, Who);
  if (Length < 0) Fail(Who + " has no \"byteLength\"");
  std::vector<uint8_t> Bytes;
  if (!B.contains("uri")) {
    if (Index != 0 || FBinary.Offset < 0) Fail(Who + " has no \"uri\" and is not the binary chunk of a .glb");
    if (Length > FBinary.Length) Fail(Who + " is longer than the binary chunk that holds it");
    TFileStream File(FFile, TFileMode::OpenRead);
    File.Seek(FBinary.Offset);
    Bytes.resize(size_t(Length));
    for (size_t Done = 0; Done < Bytes.size();) {
      const int32_t Got = File.Read(Bytes.data() + Done, int32_t(std::min<size_t>(Bytes.size() - Done, 1 << 30)));
      if (Got <= 0) Fail(Who + " ends before its \"byteLength\"");
      Done += size_t(Got);
    }
  } else {
    if (!B["uri"].is_string()) Fail(Who + ": \"uri\" is not text");
    const std::string Uri = B["uri"].get<std::string>();
    if (Uri.rfind("data:", 0) == 0) {
      const size_t Comma = Uri.find(";base64,");
      bool Ok = Comma != std::string::npos;
      if (Ok) Bytes = DecodeBase64(Uri, Comma + 8, Ok);
      if (!Ok) Fail(Who + ": its data URI is not base64");
    } else {
      // Only a file beside the document, named as such: never a path that
      // leads elsewhere.
      const std::string Name = UriPath(Uri);
      if (Name.empty() || Name == "." || Name == ".." || Name.find_first_of("/\\:") != std::string::npos ||
          Name.find('\0') != std::string::npos)
        Fail(Who + " names \"" + EscapeControlBytes(Uri) + "\", which is no file beside it");
      const std::string Path = (std::filesystem::path(FFile).parent_path() / Name).string();
      TFileStream File(Path, TFileMode::OpenRead);
      if (File.Size() < Length) Fail(Who + ": " + Path + " is shorter than its \"byteLength\"");
      Bytes.resize(size_t(Length));
      for (size_t Done = 0; Done < Bytes.size();) {
        const int32_t Got = File.Read(Bytes.data() + Done, int32_t(std::min<size_t>(Bytes.size() - Done, 1 << 30)));
        if (Got <= 0) Fail(Who + ": " + Path + " ends before its \"byteLength\"");
        Done += size_t(Got);
      }
    }
    if (int64_t(Bytes.size()) < Length) Fail(Who + " holds fewer bytes than its \"byteLength\"");
    Bytes.resize(size_t(Length));
  }
  return FBuffers.emplace(Index, std::move(Bytes)).first->second;
}

TAccessor TGltfMeshReader::BufferViewBytes(int64_t Index, const std::string& Who) {
  const json& V = Item("bufferViews", Index, Who);
  const std::string Name = "buffer view " + std::to_string(Index);
  const int64_t Offset = Integer(V, "byteOffset", 0, Name), Length = Integer(V, "byteLength", -1, Name);
  const std::vector<uint8_t>& Bytes = Buffer(Integer(V, "buffer", -1, Name));
  if (Length < 0 || Offset > int64_t(Bytes.size()) || Length > int64_t(Bytes.size()) - Offset)
    Fail(Name + " lies outside its buffer");
  TAccessor Result;
  Result.Data = Bytes.data() + Offset;
  Result.Count = size_t(Length);
  Result.Stride = size_t(Integer(V, "byteStride", 0, Name));
  return Result;
}

TAccessor TGltfMeshReader::Accessor(int64_t Index, const std::string& Who) {
  const json& A = Item("accessors", Index, Who);
  const std::string Name = "accessor " + std::to_string(Index) + " (" + Who + ")";
  if (A.contains("sparse")) Fail(Name + " is sparse, which is not read");
  TAccessor Result;
  Result.ComponentType = int(Integer(A, "componentType", 0, Name));
  if (!std::set<int>{5120, 5121, 5122, 5123, 5125, 5126}.count(Result.ComponentType))
    Fail(Name + " has no component type glTF knows");
  static const std::map<std::string, int> Types{{"SCALAR", 1}, {"VEC2", 2}, {"VEC3", 3}, {"VEC4", 4}};
  if (!A.contains("type") || !A["type"].is_string() || !Types.count(A["type"].get<std::string>()))
    Fail(Name + " is not of a type a mesh uses");
  Result.Components = Types.at(A["type"].get<std::string>());
  Result.Normalized = A.contains("normalized") && A["normalized"].is_boolean() && A["normalized"].get<bool>();
  const int64_t Count = Integer(A, "count", -1, Name);
  if (Count < 0) Fail(Name + " has no \"count\"");
  Result.Count = size_t(Count);
  const size_t Element = size_t(ComponentBytes(Result.ComponentType) * Result.Components);
  if (!A.contains("bufferView")) return Result;
  const TAccessor View = BufferViewBytes(Integer(A, "bufferView", -1, Name), Name);
  const int64_t Offset = Integer(A, "byteOffset", 0, Name);
  Result.Stride = View.Stride ? View.Stride : Element;
  if (Result.Stride < Element) Fail(Name + ": its buffer view's stride is shorter than one element");
  // Count, stride and offset against the view, without overflow.
  if (Count > 0 &&
      (uint64_t(Offset) > View.Count || uint64_t(Count - 1) > (View.Count - uint64_t(Offset)) / Result.Stride ||
       (Count - 1) * Result.Stride + Element > View.Count - uint64_t(Offset)))
    Fail(Name + " runs past the end of its buffer view");
  Result.Data = View.Data + Offset;
  return Result;
}

int TGltfMeshReader::MaterialSlot(const json& Primitive) {
  if (!Primitive.contains("material")) return -1;
  const int64_t Index = Integer(Primitive, "material", -1, "a primitive");
  const json& M = Item("materials", Index, "a primitive");
  const int32_t Slot = M.contains("name") && M["name"].is_string() && !M["name"].get<std::string>().empty()
                           ? FMaterials.Slot(M["name"].get<std::string>())
                           : FMaterials.Slot("material " + std::to_string(Index) + " of " + FFile);
  FindPicture(Index, Slot);
  return Slot;
}

void TGltfMeshReader::FindPicture(int64_t Material, int32_t Slot) {
  if (!FMaterials.WantsPictures || FMaterials.HasPicture(Slot)) return;
  const std::string Who = "material " + std::to_string(Material);
  const json& M = Item("materials", Material, "a primitive");
  if (!M.contains("pbrMetallicRoughness") || !M["pbrMetallicRoughness"].is_object() ||
      !M["pbrMetallicRoughness"].contains("baseColorTexture"))
    return;
  const json& Base = M["pbrMetallicRoughness"]["baseColorTexture"];
  if (!Base.is_object()) Fail(Who + ": its \"baseColorTexture\" is not an object");
  const int64_t TextureIndex = Integer(Base, "index", -1, Who + " baseColorTexture");
  const json& Texture = Item("textures", TextureIndex, Who);
  const std::string TextureWho = "texture " + std::to_string(TextureIndex);
  if (!Texture.contains("source"))
    Fail(TextureWho + " has its picture in no form read here: it names no PNG or JPEG image (\"source\")");
  const int64_t ImageIndex = Integer(Texture, "source", -1, TextureWho);
  const json& Image = Item("images", ImageIndex, TextureWho);
  const std::string ImageWho = "image " + std::to_string(ImageIndex);
  TMaterialPicture Picture;
  Picture.Name = FFile + " " + ImageWho;
  if (Image.contains("bufferView")) {
    const TAccessor View = BufferViewBytes(Integer(Image, "bufferView", -1, ImageWho), ImageWho);
    Picture.Bytes.assign(View.Data, View.Data + View.Count);
  } else if (Image.contains("uri") && Image["uri"].is_string()) {
    const std::string Uri = Image["uri"].get<std::string>();
    if (Uri.rfind("data:", 0) == 0) {
      const size_t Comma = Uri.find(";base64,");
      bool Ok = Comma != std::string::npos;
      if (Ok) Picture.Bytes = DecodeBase64(Uri, Comma + 8, Ok);
      if (!Ok) Fail(ImageWho + ": its data URI is not base64");
    } else {
      const std::optional<std::string> File = FileBelowMesh(FFile, UriPath(Uri));
      if (!File)
        Fail(ImageWho + " names \"" + EscapeControlBytes(Uri) +
             "\", which is no file in the mesh's folder or below it");
      Picture.File = Picture.Name = *File;
    }
  } else {
    Fail(ImageWho + " has neither a \"uri\" nor a \"bufferView\"");
  }
  FMaterials.SetPicture(Slot, std::move(Picture));
}

TVector Transformed(const TMatrix4& M, double X, double Y, double Z, bool Direction) {
  const double W = Direction ? 0 : 1;
  return {float(M[0] * X + M[4] * Y + M[8] * Z + M[12] * W), float(M[1] * X + M[5] * Y + M[9] * Z + M[13] * W),
          float(M[2] * X + M[6] * Y + M[10] * Z + M[14] * W)};
}

bool Finite(const TVector& V) { return std::isfinite(V.X) && std::isfinite(V.Y) && std::isfinite(V.Z); }

bool TGltfMeshReader::Triangles(int Mesh, size_t P, const TMatrix4& World, std::vector<TSourceCorner>& Corners,
                                std::vector<uint32_t>& Sources) {
  const json& Primitive = Item("meshes", Mesh, "a node")["primitives"][P];
  const std::string Who = MeshName(Mesh) + " primitive " + std::to_string(P);
  const int64_t Mode = Integer(Primitive, "mode", 4, Who);
  if (Mode < 4) {
    if (!FToldLines) FNotes << FFile << ": points and lines are left out (" << Who << ")\n";
    FToldLines = true;
    return false;
  }
  if (Mode > 6) Fail(Who + " has no drawing mode glTF knows");
  if (!Primitive.contains("attributes") || !Primitive["attributes"].is_object() ||
      !Primitive["attributes"].contains("POSITION"))
    Fail(Who + " has no positions");
  const json& Attributes = Primitive["attributes"];
  const TAccessor Positions = Accessor(Integer(Attributes, "POSITION", -1, Who), Who + " POSITION");
  if (Positions.ComponentType != Float || Positions.Components != 3) Fail(Who + ": its positions are not 3 floats");
  std::optional<TAccessor> Normals, TexCoords;
  if (Attributes.contains("NORMAL")) {
    Normals = Accessor(Integer(Attributes, "NORMAL", -1, Who), Who + " NORMAL");
    if (Normals->ComponentType != Float || Normals->Components != 3 || Normals->Count != Positions.Count)
      Fail(Who + ": its normals are not 3 floats for each position");
  }
  if (Attributes.contains("TEXCOORD_0")) {
    TexCoords = Accessor(Integer(Attributes, "TEXCOORD_0", -1, Who), Who + " TEXCOORD_0");
    if (TexCoords->Components != 2 || TexCoords->Count != Positions.Count ||
        (TexCoords->ComponentType != Float && !TexCoords->Normalized))
      Fail(Who + ": its texture coordinates are not 2 numbers for each position");
  }
  std::optional<TAccessor> Indices;
  if (Primitive.contains("indices")) {
    Indices = Accessor(Integer(Primitive, "indices", -1, Who), Who + " indices");
    if (Indices->Components != 1 ||
        !std::set<int>{UnsignedByte, UnsignedShort, UnsignedInt}.count(Indices->ComponentType))
      Fail(Who + ": its indices are not unsigned whole numbers");
  }
  const size_t Count = Indices ? Indices->Count : Positions.Count;
  auto IndexAt = [&](size_t I) -> uint32_t {
    const uint64_t V = Indices ? uint64_t(Indices->Value(I, 0)) : I;
    if (V >= Positions.Count)
      Fail(Who + ": index " + std::to_string(I) + " is " + std::to_string(V) + ", outside its " +
           std::to_string(Positions.Count) + " positions");
    return uint32_t(V);
  };
  // Every corner named, in triangle order.
  Sources.clear();
  if (Count >= 3) {
    if (Mode == 4) {
      for (size_t I = 0; I + 2 < Count; I += 3)
        Sources.insert(Sources.end(), {IndexAt(I), IndexAt(I + 1), IndexAt(I + 2)});
    } else if (Mode == 5) {
      for (size_t I = 0; I + 2 < Count; ++I)
        if (I % 2 == 0)
          Sources.insert(Sources.end(), {IndexAt(I), IndexAt(I + 1), IndexAt(I + 2)});
        else
          Sources.insert(Sources.end(), {IndexAt(I + 1), IndexAt(I), IndexAt(I + 2)});
    } else {
      for (size_t I = 1; I + 1 < Count; ++I) Sources.insert(Sources.end(), {IndexAt(0), IndexAt(I), IndexAt(I + 1)});
    }
  }
  // A mirroring transform turns the corners the other way round.
  const double Det = World[0] * (World[5] * World[10] - World[6] * World[9]) -
                     World[4] * (World[1] * World[10] - World[2] * World[9]) +
                     World[8] * (World[1] * World[6] - World[2] * World[5]);
  const bool Moved = World != Identity;
  // Normals turn with the inverse transpose, here the cofactors (columns
  // a1 x a2, a2 x a0, a0 x a1 of the columns a of the transform), turned
  // round with a mirror so that they keep facing out.
  TMatrix4 NormalMatrix = Identity;
  if (Moved) {
    auto Column = [&](int C) {
      return std::array<double, 3>{World[size_t(4 * C)], World[size_t(4 * C + 1)], World[size_t(4 * C + 2)]};
    };
    auto Cross = [](const std::array<double, 3>& A, const std::array<double, 3>& B) {
      return std::array<double, 3>{A[1] * B[2] - A[2] * B[1], A[2] * B[0] - A[0] * B[2], A[0] * B[1] - A[1] * B[0]};
    };
    const double Sign = Det < 0 ? -1 : 1;
    for (int C = 0; C < 3; ++C) {
      const auto Cof = Cross(Column((C + 1) % 3), Column((C + 2) % 3));
      for (int R = 0; R < 3; ++R) NormalMatrix[size_t(4 * C + R)] = Sign * Cof[size_t(R)];
    }
  }
  Corners.clear();
  Corners.reserve(Sources.size());
  for (size_t I = 0; I < Sources.size(); ++I) {
    const uint32_t S = Sources[I];
    TSourceCorner Corner;
    const float Px = Positions.FloatValue(S, 0), Py = Positions.FloatValue(S, 1), Pz = Positions.FloatValue(S, 2);
    if (!std::isfinite(Px) || !std::isfinite(Py) || !std::isfinite(Pz))
      Fail(Who + ": position " + std::to_string(S) + " is not finite");
    Corner.Position = Moved ? Transformed(World, Px, Py, Pz, false) : TVector{Px, Py, Pz};
    if (!Finite(Corner.Position))
      Fail(Who + ": position " + std::to_string(S) + " is not finite once its node's transform is applied");
    if (Normals) {
      const TVector N{Normals->FloatValue(S, 0), Normals->FloatValue(S, 1), Normals->FloatValue(S, 2)};
      if (!Finite(N)) Fail(Who + ": normal " + std::to_string(S) + " is not finite");
      Corner.Normal = Moved ? Transformed(NormalMatrix, N.X, N.Y, N.Z, true) : N;
    }
    if (TexCoords) {
      Corner.S = TexCoords->FloatValue(S, 0);
      Corner.T = TexCoords->FloatValue(S, 1);
      if (!std::isfinite(Corner.S) || !std::isfinite(Corner.T))
        Fail(Who + ": texture coordinate " + std::to_string(S) + " is not finite");
    }
    Corners.push_back(Corner);
  }
  if (Det < 0)
    for (size_t I = 0; I + 2 < Corners.size(); I += 3)
      std::swap(Corners[I + 1], Corners[I + 2]), std::swap(Sources[I + 1], Sources[I + 2]);
  return true;
}

void TGltfMeshReader::AddMesh(int Mesh, const TMatrix4& World, TMeshBuilder& Builder) {
  const json& M = Item("meshes", Mesh, "a node");
  if (!M.contains("primitives") || !M["primitives"].is_array()) Fail(MeshName(Mesh) + " has no primitives");
  std::vector<TSourceCorner> Corners;
  std::vector<uint32_t> Sources;
  for (size_t P = 0; P < M["primitives"].size(); ++P) {
    if (!M["primitives"][P].is_object())
      Fail(MeshName(Mesh) + ": primitive " + std::to_string(P) + " is not an object");
    if (!Triangles(Mesh, P, World, Corners, Sources)) continue;
    const int Slot = MaterialSlot(M["primitives"][P]);
    for (size_t T = 0; T < Corners.size() / 3; ++T)
      Builder.AddPolygon(std::span<const TSourceCorner>(Corners.data() + 3 * T, 3), Slot, [&] {
        return FFile + ": " + MeshName(Mesh) + " primitive " + std::to_string(P) + ", triangle " + std::to_string(T) +
               " (corners " + std::to_string(Sources[3 * T]) + ", " + std::to_string(Sources[3 * T + 1]) + ", " +
               std::to_string(Sources[3 * T + 2]) + ")";
      });
  }
}

template <class T>
bool Records(const TAccessor& View, std::vector<T>& Out) {
  if (View.Count % sizeof(T) != 0 || View.Count / sizeof(T) > size_t(std::numeric_limits<int32_t>::max())) return false;
  Out.resize(View.Count / sizeof(T));
  if (View.Count) std::memcpy(Out.data(), View.Data, View.Count);
  return true;
}

std::optional<TModelMesh> TGltfMeshReader::ExactLevel(int Mesh, const TMatrix4& World) {
  const json& M = Item("meshes", Mesh, "a node");
  if (!M.contains("extras") || !M["extras"].is_object() || !M["extras"].contains(GltfMarks::MeshChunks))
    return std::nullopt;
  const json& Marks = M["extras"][GltfMarks::MeshChunks];
  if (!Marks.is_array() || Marks.size() != 4) return std::nullopt;
  for (const json& V : Marks)
    if (!V.is_number_integer() || V.get<int64_t>() < 0 || !FJson.contains("bufferViews") ||
        V.get<int64_t>() >= int64_t(FJson["bufferViews"].size()))
      return std::nullopt;
  TModelMesh Level;
  const std::string Who = MeshName(Mesh) + "'s kept arrays";
  if (!Records(BufferViewBytes(Marks[0].get<int64_t>(), Who), Level.Vertices) ||
      !Records(BufferViewBytes(Marks[1].get<int64_t>(), Who), Level.Normals) ||
      !Records(BufferViewBytes(Marks[2].get<int64_t>(), Who), Level.FaceVertices) ||
      !Records(BufferViewBytes(Marks[3].get<int64_t>(), Who), Level.Faces))
    return std::nullopt;
  // Everything in range and finite, as a new file must be; and the faces
  // grouped by texture as the export writes its primitives.
  for (const TVector& V : Level.Vertices)
    if (!Finite(V)) return std::nullopt;
  for (const TVector& N : Level.Normals)
    if (!Finite(N)) return std::nullopt;
  for (TFaceVertex& C : Level.FaceVertices) {
    if (C.Vertex < 0 || size_t(C.Vertex) >= Level.Vertices.size() || !std::isfinite(C.S) || !std::isfinite(C.T))
      return std::nullopt;
    C.Reserved = 0;
  }
  std::map<int32_t, std::vector<size_t>> Groups;
  for (size_t F = 0; F < Level.Faces.size(); ++F) {
    TFace& Face = Level.Faces[F];
    if (Face.Normal < 0 || size_t(Face.Normal) >= Level.Normals.size() || Face.First < 0 || Face.Count < 3 ||
        int64_t(Face.First) + Face.Count > int64_t(Level.FaceVertices.size()) || Face.Texture < 0 ||
        Face.Texture > 99999999)
      return std::nullopt;
    Face.Reserved1 = Face.Reserved2 = Face.Reserved3 = 0;
    Groups[Face.Texture].push_back(F);
  }
  // The primitives must be the groups, triangle for triangle.
  if (!M.contains("primitives") || !M["primitives"].is_array() || M["primitives"].size() != Groups.size())
    return std::nullopt;
  std::vector<TSourceCorner> Corners;
  std::vector<uint32_t> Sources;
  std::vector<std::pair<int64_t, std::string>> Pictured;  // each group's material and its name
  size_t P = 0;
  for (const auto& [Texture, Faces] : Groups) {
    const json& Primitive = M["primitives"][P];
    if (!Primitive.is_object() || !Triangles(Mesh, P, World, Corners, Sources)) return std::nullopt;
    ++P;
    const int64_t Material = Primitive.contains("material") ? Integer(Primitive, "material", -1, "a primitive") : -1;
    const json* Named = Material < 0 ? nullptr : &Item("materials", Material, "a primitive");
    if (!Named || !Named->contains("name") || !(*Named)["name"].is_string() ||
        (*Named)["name"].get<std::string>() != TextureName(Texture))
      return std::nullopt;
    Pictured.emplace_back(Material, TextureName(Texture));
    size_t At = 0;
    for (size_t F : Faces) {
      const TFace& Face = Level.Faces[F];
      for (int32_t I = 1; I + 1 < Face.Count; ++I)
        for (int32_t K : {0, I, I + 1}) {
          if (At >= Corners.size()) return std::nullopt;
          const TFaceVertex& Kept = Level.FaceVertices[size_t(DrawnCorner(Face, K))];
          const TSourceCorner& Read = Corners[At++];
          if (std::memcmp(&Read.Position, &Level.Vertices[size_t(Kept.Vertex)], sizeof(TVector)) != 0 ||
              std::memcmp(&Read.S, &Kept.S, 4) != 0 || std::memcmp(&Read.T, &Kept.T, 4) != 0)
            return std::nullopt;
        }
    }
    if (At != Corners.size()) return std::nullopt;
  }
  for (const auto& [Material, Name] : Pictured) FindPicture(Material, FMaterials.Slot(Name));
  return Level;
}

uint64_t TGltfMeshReader::BufferBytes(const std::set<int>& Meshes) {
  std::set<int64_t> Buffers;
  for (int Mesh : Meshes) {
    const json& M = Item("meshes", Mesh, "a node");
    if (!M.contains("primitives") || !M["primitives"].is_array()) continue;
    std::vector<int64_t> Accessors;
    for (const json& P : M["primitives"]) {
      if (!P.is_object()) continue;
      if (P.contains("indices") && P["indices"].is_number_integer()) Accessors.push_back(P["indices"].get<int64_t>());
      if (P.contains("attributes") && P["attributes"].is_object())
        for (const auto& [Key, Value] : P["attributes"].items())
          if (Value.is_number_integer()) Accessors.push_back(Value.get<int64_t>());
    }
    for (int64_t A : Accessors) {
      if (!FJson.contains("accessors") || A < 0 || size_t(A) >= FJson["accessors"].size()) continue;
      const json& Acc = FJson["accessors"][size_t(A)];
      if (!Acc.is_object() || !Acc.contains("bufferView") || !Acc["bufferView"].is_number_integer()) continue;
      const int64_t View = Acc["bufferView"].get<int64_t>();
      if (!FJson.contains("bufferViews") || View < 0 || size_t(View) >= FJson["bufferViews"].size()) continue;
      const json& V = FJson["bufferViews"][size_t(View)];
      if (V.is_object() && V.contains("buffer") && V["buffer"].is_number_integer())
        Buffers.insert(V["buffer"].get<int64_t>());
    }
  }
  uint64_t Total = 0;
  for (int64_t B : Buffers)
    if (FJson.contains("buffers") && B >= 0 && size_t(B) < FJson["buffers"].size() &&
        FJson["buffers"][size_t(B)].is_object() && FJson["buffers"][size_t(B)].contains("byteLength") &&
        FJson["buffers"][size_t(B)]["byteLength"].is_number_unsigned())
      Total += FJson["buffers"][size_t(B)]["byteLength"].get<uint64_t>();
  return Total;
}

uint64_t TGltfMeshReader::CornerCount(const std::set<int>& Meshes) {
  uint64_t Total = 0;
  for (int Mesh : Meshes) {
    const json& M = Item("meshes", Mesh, "a node");
    if (!M.contains("primitives") || !M["primitives"].is_array()) continue;
    for (const json& P : M["primitives"]) {
      if (!P.is_object()) continue;
      int64_t A = -1;
      // Triangles name each corner once; a strip or fan up to three times.
      const uint64_t PerIndex =
          P.contains("mode") && P["mode"].is_number_integer() && P["mode"].get<int64_t>() != 4 ? 3 : 1;
      if (P.contains("indices") && P["indices"].is_number_integer())
        A = P["indices"].get<int64_t>();
      else if (P.contains("attributes") && P["attributes"].is_object() && P["attributes"].contains("POSITION") &&
               P["attributes"]["POSITION"].is_number_integer())
        A = P["attributes"]["POSITION"].get<int64_t>();
      if (A >= 0 && FJson.contains("accessors") && size_t(A) < FJson["accessors"].size() &&
          FJson["accessors"][size_t(A)].is_object() && FJson["accessors"][size_t(A)].contains("count") &&
          FJson["accessors"][size_t(A)]["count"].is_number_unsigned())
        Total += PerIndex * FJson["accessors"][size_t(A)]["count"].get<uint64_t>();
    }
  }
  return Total;
}

uint64_t MemoryLine(const char* Key) {
  std::ifstream Info("/proc/meminfo");
  std::string Name;
  uint64_t Value = 0;
  std::string Unit;
  while (Info >> Name >> Value >> Unit)
    if (Name == Key) return Value * 1024;
  return UINT64_MAX;
}

}  // namespace

void CheckImportMemory(uint64_t Bytes, const std::string& File) {
  uint64_t Room = MemoryLine("MemAvailable:");
  rlimit Limit{};
  if (getrlimit(RLIMIT_AS, &Limit) == 0 && Limit.rlim_cur != RLIM_INFINITY) {
    std::ifstream Statm("/proc/self/statm");
    uint64_t Pages = 0;
    Statm >> Pages;
    const uint64_t Used = Pages * uint64_t(sysconf(_SC_PAGESIZE));
    Room = std::min<uint64_t>(Room, Limit.rlim_cur > Used ? Limit.rlim_cur - Used : 0);
  }
  if (Bytes > Room)
    throw EMeshImport("Import: " + File + " needs about " + std::to_string(Bytes >> 20) +
                      " MiB to import, more than the " + std::to_string(Room >> 20) + " MiB of memory left");
}

TGltfScene ReadGltfMeshes(const std::string& FileName, std::optional<int64_t> OneLevel, TImportMaterials& Materials,
                          TLevelBuilders& Levels, std::ostream& Notes) {
  TGltfSource Source = ReadGltfSource(FileName);
  TGltfScene Scene;
  Scene.Document = GltfDocumentOf(Source.Json, FileName);
  TGltfDocument& Document = Scene.Document;
  // The scene's own frame, as a node holding its top nodes.
  TGltfNode SceneNode;
  SceneNode.Children = Document.Top;
  Document.Nodes.push_back(SceneNode);
  const int SceneRoot = int(Document.Nodes.size() - 1);

  struct TMeshNode {
    int Node, Mesh;
    TMatrix4 World;
    std::optional<int64_t> Level;
  };
  // Nodes are walked down from a root with the level a node above names.
  auto MeshNodes = [&](int Root) {
    std::vector<TMeshNode> Found;
    std::vector<std::optional<int64_t>> LevelOf(Document.Nodes.size());
    std::vector<int> ParentOf(Document.Nodes.size(), -1);
    for (size_t I = 0; I < Document.Nodes.size(); ++I)
      for (int Child : Document.Nodes[I].Children)
        if (size_t(Child) < Document.Nodes.size() && ParentOf[size_t(Child)] < 0) ParentOf[size_t(Child)] = int(I);
    WalkUnderRoot(Document, Root, [&](const TGltfNode& Node, const TMatrix4& World) {
      if (IsGltfSphereNode(Node) || Node.HelperMark || Node.IsCameraOrLight) return false;
      const size_t Index = size_t(&Node - Document.Nodes.data());
      LevelOf[Index] = LevelNumberInName(Node.Name);
      if (!LevelOf[Index] && ParentOf[Index] >= 0) LevelOf[Index] = LevelOf[size_t(ParentOf[Index])];
      if (Node.HasMesh) Found.push_back({int(Index), Node.Mesh, World, LevelOf[Index]});
      return true;
    });
    return Found;
  };
  // The hardpoints' root when it holds every mesh, else the scene's frame.
  std::vector<TMeshNode> Meshes = MeshNodes(SceneRoot);
  Scene.Root = SceneRoot;
  try {
    const int Root = GltfHardpointRoot(Document, FileName, "");
    if (Root != SceneRoot && !Document.Nodes[size_t(Root)].HasMesh) {
      std::vector<TMeshNode> Under = MeshNodes(Root);
      if (Under.size() == Meshes.size()) Meshes = std::move(Under), Scene.Root = Root;
    }
  } catch (const EGltfHardpoints&) {
    // No node tells itself apart as the hardpoints' root: the scene's frame.
  }

  TGltfMeshReader Reader(FileName, Source, Materials, Notes);
  std::set<int> MeshSet;
  std::set<int64_t> Named;
  for (TMeshNode& Node : Meshes) {
    if (Node.Mesh < 0) throw EMeshImport("Import: " + FileName + ": a node's \"mesh\" is not a mesh number");
    MeshSet.insert(Node.Mesh);
    if (!Node.Level) Node.Level = LevelNumberInName(Reader.MeshText(Node.Mesh));
    if (OneLevel) Node.Level = OneLevel;
    if (Node.Level) Named.insert(*Node.Level);
  }
  // Memory for the buffers and for the corners they give, before any is read.
  CheckImportMemory(Reader.BufferBytes(MeshSet) + Reader.CornerCount(MeshSet) * 48, FileName);
  const int64_t First = Named.empty() ? 0 : *Named.begin();
  std::map<int64_t, int> NodesOfLevel;
  for (TMeshNode& Node : Meshes) {
    if (!Node.Level) {
      if (!Named.empty())
        Notes << FileName << ": " << Reader.MeshName(Node.Mesh)
              << " has no level in its name; it goes into the first level\n";
      Node.Level = First;
    }
    ++NodesOfLevel[*Node.Level];
  }
  for (const TMeshNode& Node : Meshes) {
    TMeshBuilder& Builder = Levels.try_emplace(*Node.Level).first->second;
    if (NodesOfLevel[*Node.Level] == 1 && Builder.Empty())
      if (std::optional<TModelMesh> Exact = Reader.ExactLevel(Node.Mesh, Node.World)) {
        Builder.SetExact(std::move(*Exact));
        continue;
      }
    Reader.AddMesh(Node.Mesh, Node.World, Builder);
  }
  return Scene;
}
