#include "check/SphereCheck.h"

#include <algorithm>
#include <cmath>

#include "iff/IffReader.h"
#include "model/SphereFile.h"
#include "runtime/NumberFormat.h"

std::optional<TDrawnSphere> CheckSphere(const std::string& FileName, const TIffReader& Reader, TFindings& Findings) {
  const TForm* Coll = nullptr;
  const TChunk* Sphr = nullptr;
  if (!Reader.RootIsChunk()) {
    for (const auto& Form : Reader.Root()->Forms)
      if (Form->Tag == TIffTag("COLL")) {
        Coll = Form.get();
        break;
      }
  }
  if (Coll)
    for (const TChunk& Chunk : Coll->Chunks)
      if (Chunk.Tag == TIffTag("SPHR")) {
        Sphr = &Chunk;
        break;
      }
  // Read as the editor's sphere panel reads it, for its exact messages.
  float Center[3] = {0, 0, 0};
  float Value = 0;
  bool Tree = false;
  try {
    ReadSphere(FileName, Center, Value, Tree, /*ReadOnly=*/true);
  } catch (const Exception& E) {
    if (!Coll || !Sphr)
      Findings.Add(TCheckCodeId::SphereMissing, E.Message(), std::nullopt, std::nullopt,
                   Coll ? std::optional<int64_t>(Coll->Offset) : std::nullopt);
    else
      Findings.Add(TCheckCodeId::SphereUnreadable, E.Message(), std::nullopt, std::nullopt, Sphr->Offset);
    return std::nullopt;
  }
  const float Values[4] = {Center[0], Center[1], Center[2], Value};
  if (!std::all_of(std::begin(Values), std::end(Values), [](float V) { return std::isfinite(V); })) {
    Findings.Add(TCheckCodeId::NonfiniteValue,
                 "the collision sphere holds " + FloatToRoundTrip(Center[0]) + " " + FloatToRoundTrip(Center[1]) + " " +
                     FloatToRoundTrip(Center[2]) + " " + FloatToRoundTrip(Value),
                 std::nullopt, std::nullopt, Sphr ? std::optional<int64_t>(Sphr->Offset) : std::nullopt);
    return std::nullopt;
  }
  // The sphere drawn with a negative radius is the same sphere.
  return TDrawnSphere{{Center[0], Center[1], Center[2]}, std::fabs(double(Value))};
}
