#pragma once
// What every part of the check of one file shares: the list its findings go
// into, the cap on findings of one kind in one chunk, and the way numbers,
// vectors and tags are written in messages.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "check/ModelCheck.h"
#include "iff/IffTypes.h"
#include "model/MeshData.h"

// The findings of one file, in the order they are found.
class TFindings {
public:
  void Add(TCheckCodeId Id, std::string Message, std::optional<std::string> Lod = {},
           std::optional<int64_t> Record = {}, std::optional<int64_t> Offset = {});
  // Whether a finding of the kind Id has been added.
  bool Has(TCheckCodeId Id) const;
  std::vector<TFinding> Take() { return std::move(FList); }

private:
  std::vector<TFinding> FList;
};

// Findings of one kind in one chunk: the first MaxPerChunk in full, then one
// that counts the rest.
class TCapped {
public:
  static constexpr int MaxPerChunk = 20;

  TCapped(TFindings& Findings, TCheckCodeId Id, std::optional<std::string> Lod, int64_t Offset, std::string What)
      : FFindings(Findings), FId(Id), FLod(std::move(Lod)), FOffset(Offset), FWhat(std::move(What)) {}
  // Message is only asked for the findings written in full.
  void Add(int64_t Record, const std::function<std::string()>& Message);
  // The count of the findings beyond the first MaxPerChunk.
  void Finish();

private:
  TFindings& FFindings;
  TCheckCodeId FId;
  std::optional<std::string> FLod;
  int64_t FOffset;
  std::string FWhat;
  int64_t FCount = 0;
};

constexpr double UnitTolerance = 1e-3;  // lengths of normals and hardpoint axes, and their dot products

// A measured value with six significant digits.
std::string Number(double Value);
// "(x, y, z)", each exactly as stored.
std::string VectorText(const TVector& V);
// The tag between double quotes.
std::string Quoted(const TIffTag& Tag);
bool Finite(const TVector& V);
