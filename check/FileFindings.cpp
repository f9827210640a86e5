#include "check/FileFindings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "runtime/NumberFormat.h"

void TFindings::Add(TCheckCodeId Id, std::string Message, std::optional<std::string> Lod, std::optional<int64_t> Record,
                    std::optional<int64_t> Offset) {
  FList.push_back({&CheckCode(Id), std::move(Message), std::move(Lod), Record, Offset});
}

bool TFindings::Has(TCheckCodeId Id) const {
  return std::any_of(FList.begin(), FList.end(), [Id](const TFinding& F) { return F.Code->Id == Id; });
}

void TCapped::Add(int64_t Record, const std::function<std::string()>& Message) {
  if (++FCount <= MaxPerChunk) FFindings.Add(FId, Message(), FLod, Record, FOffset);
}

void TCapped::Finish() {
  if (FCount > MaxPerChunk)
    FFindings.Add(FId, std::to_string(FCount - MaxPerChunk) + " more " + FWhat, FLod, std::nullopt, FOffset);
}

std::string Number(double Value) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%.6g", Value);
  return Text;
}

std::string VectorText(const TVector& V) {
  return "(" + FloatToRoundTrip(V.X) + ", " + FloatToRoundTrip(V.Y) + ", " + FloatToRoundTrip(V.Z) + ")";
}

std::string Quoted(const TIffTag& Tag) { return "\"" + Tag.ToText() + "\""; }

bool Finite(const TVector& V) { return std::isfinite(V.X) && std::isfinite(V.Y) && std::isfinite(V.Z); }
