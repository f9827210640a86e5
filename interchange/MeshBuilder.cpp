#include "interchange/MeshBuilder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <set>

#include "interchange/ExportedTextures.h"
#include "runtime/Latin1Text.h"

namespace {

constexpr size_t MostRecords = size_t(std::numeric_limits<int32_t>::max());

uint64_t HashOf(const TVector& V) {
  uint32_t Bits[3];
  std::memcpy(Bits, &V, sizeof Bits);
  uint64_t H = 1469598103934665603ull;
  for (uint32_t B : Bits) H = (H ^ B) * 1099511628211ull, H ^= H >> 29;
  return H;
}

bool SameBits(const TVector& A, const TVector& B) { return std::memcmp(&A, &B, sizeof A) == 0; }

[[noreturn]] void TooMany(const char* What) {
  throw EMeshImport(std::string("Import: more ") + What + " than the model file's 32-bit counts hold");
}

}  // namespace

int32_t TVectorTable::FindOrAdd(const TVector& V) {
  if (FVectors.size() * 2 >= FSlots.size()) Grow();
  const size_t Mask = FSlots.size() - 1;
  for (size_t At = size_t(HashOf(V)) & Mask;; At = (At + 1) & Mask) {
    const int32_t Slot = FSlots[At];
    if (Slot < 0) {
      if (FVectors.size() >= MostRecords) TooMany("positions or normals");
      FSlots[At] = int32_t(FVectors.size());
      FVectors.push_back(V);
      return FSlots[At];
    }
    if (SameBits(FVectors[size_t(Slot)], V)) return Slot;
  }
}

void TVectorTable::Grow() {
  std::vector<int32_t> Slots(std::max<size_t>(64, FSlots.size() * 2), -1);
  const size_t Mask = Slots.size() - 1;
  for (size_t I = 0; I < FVectors.size(); ++I) {
    size_t At = size_t(HashOf(FVectors[I])) & Mask;
    while (Slots[At] >= 0) At = (At + 1) & Mask;
    Slots[At] = int32_t(I);
  }
  FSlots = std::move(Slots);
}

void TMeshBuilder::AddPolygon(std::span<const TSourceCorner> Corners, int32_t MaterialSlot,
                              const std::function<std::string()>& Where) {
  if (FMesh.FaceVertices.size() + Corners.size() > MostRecords || FMesh.Faces.size() >= MostRecords)
    TooMany("faces or corners");
  // Newell's normal: the polygon's own plane, facing the side its corners
  // turn counter-clockwise on; for a triangle the cross product itself.
  double X = 0, Y = 0, Z = 0;
  for (size_t I = 0; I < Corners.size(); ++I) {
    const TVector& A = Corners[I].Position;
    const TVector& B = Corners[(I + 1) % Corners.size()].Position;
    X += (double(A.Y) - B.Y) * (double(A.Z) + B.Z);
    Y += (double(A.Z) - B.Z) * (double(A.X) + B.X);
    Z += (double(A.X) - B.X) * (double(A.Y) + B.Y);
  }
  double Length = std::sqrt(X * X + Y * Y + Z * Z);
  if (!(Length > 0) || !std::isfinite(Length)) {
    X = Y = Z = 0;
    bool Given = true;
    for (const TSourceCorner& Corner : Corners) {
      Given = Given && Corner.Normal.has_value();
      if (Given) X += Corner.Normal->X, Y += Corner.Normal->Y, Z += Corner.Normal->Z;
    }
    Length = std::sqrt(X * X + Y * Y + Z * Z);
    if (!Given || !(Length > 0) || !std::isfinite(Length))
      throw EMeshImport("Import: " + Where() + ": its corners lie on a line and the file gives it no normal");
  }
  TFace Face;
  Face.Normal = FNormals.FindOrAdd({float(X / Length), float(Y / Length), float(Z / Length)});
  Face.Texture = MaterialSlot;
  Face.First = int32_t(FMesh.FaceVertices.size());
  Face.Count = int32_t(Corners.size());
  // Stored clockwise as seen from the front: drawing sends the corners in
  // reverse, so OpenGL sees them counter-clockwise, as a front face.
  for (size_t I = Corners.size(); I-- > 0;) {
    TFaceVertex Corner;
    Corner.Vertex = FVertices.FindOrAdd(Corners[I].Position);
    Corner.S = Corners[I].S;
    Corner.T = Corners[I].T;
    FMesh.FaceVertices.push_back(Corner);
  }
  FMesh.Faces.push_back(Face);
}

void TMeshBuilder::SetExact(TModelMesh Mesh) {
  FMesh = std::move(Mesh);
  FExact = true;
}

TModelMesh TMeshBuilder::Number(const std::vector<int32_t>& Numbers) {
  if (!FExact)
    for (TFace& Face : FMesh.Faces) Face.Texture = Face.Texture < 0 ? UntexturedTexture : Numbers[size_t(Face.Texture)];
  return std::move(FMesh);
}

int32_t TImportMaterials::Slot(const std::string& Name) {
  auto [It, New] = FSlots.try_emplace(Name, int32_t(FNames.size()));
  if (New) FNames.push_back(Name);
  return It->second;
}

const TMaterialPicture* TImportMaterials::Picture(int32_t Slot) const {
  const auto Found = FPictures.find(Slot);
  return Found == FPictures.end() ? nullptr : &Found->second;
}

std::optional<std::string> FileBelowMesh(const std::string& MeshFile, const std::string& Relative) {
  if (Relative.empty() || Relative.find_first_of(":\0", 0, 2) != std::string::npos) return std::nullopt;
  std::string Path = Relative;
  std::replace(Path.begin(), Path.end(), '\\', '/');
  if (Path.front() == '/') return std::nullopt;
  bool Named = false;
  for (size_t Start = 0; Start <= Path.size();) {
    const size_t End = std::min(Path.find('/', Start), Path.size());
    const std::string Part = Path.substr(Start, End - Start);
    if (Part == "..") return std::nullopt;
    Named = Named || (!Part.empty() && Part != ".");
    Start = End + 1;
  }
  if (!Named || Path.back() == '/') return std::nullopt;
  return (std::filesystem::path(MeshFile).parent_path() / Path).string();
}

namespace {

std::optional<int32_t> EightDigitNumber(const std::string& Name) {
  if (Name.size() != 8 || !std::all_of(Name.begin(), Name.end(), [](char C) { return C >= '0' && C <= '9'; }))
    return std::nullopt;
  return int32_t(std::stol(Name));
}

}  // namespace

std::vector<int32_t> TImportMaterials::Number(std::optional<int32_t> First, std::ostream& Notes) const {
  std::set<int32_t> Kept;
  int32_t Largest = 0;
  for (const std::string& Name : FNames)
    if (const auto Number = EightDigitNumber(Name)) {
      Kept.insert(*Number);
      if (*Number < UntexturedTexture) Largest = std::max(Largest, *Number);
    }
  int64_t Next = First ? *First : int64_t(Largest) + 1;
  std::vector<int32_t> Numbers;
  for (const std::string& Name : FNames) {
    if (const auto Number = EightDigitNumber(Name)) {
      Numbers.push_back(*Number);
    } else {
      while (Kept.count(int32_t(Next))) ++Next;
      if (Next > 99999999) throw EMeshImport("Import: no texture number of eight digits is left for " + Name);
      Numbers.push_back(int32_t(Next++));
    }
    Notes << "material \"" << EscapeControlBytes(Name) << "\": texture " << TextureName(Numbers.back()) << "\n";
  }
  return Numbers;
}

std::optional<int64_t> LevelNumberInName(const std::string& Name) {
  size_t Digits = Name.size();
  while (Digits > 0 && std::isdigit(static_cast<unsigned char>(Name[Digits - 1]))) --Digits;
  const size_t Count = Name.size() - Digits;
  if (Count == 0 || Count > 9) return std::nullopt;
  const int64_t Number = std::stoll(Name.substr(Digits));
  if (Count == 4 && Digits == 0) return Number;  // the export's own "0000", "0001", ...
  if (Digits < 3) return std::nullopt;
  std::string Lod = Name.substr(Digits - 3, 3);
  std::transform(Lod.begin(), Lod.end(), Lod.begin(), [](unsigned char C) { return char(std::tolower(C)); });
  if (Lod != "lod") return std::nullopt;
  return Number;
}
