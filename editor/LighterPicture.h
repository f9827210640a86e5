#pragma once
// When the drawing shows the lighter picture of a big mesh (its lighter
// outline, ModelOutline.h) and when the exact one. A paint whose view angles
// or zoom differ from the paint before it, of the same mesh, is a step of
// turning or zooming: from it until SettleSeconds pass without another step
// the picture is the lighter one, so a big mesh follows the hand; then the
// exact picture is due, and the window's next tick paints it. A mesh whose
// lighter outline leaves nothing out is always drawn exactly, and nothing
// but turning and zooming ever makes the picture lighter.
#include <cstdint>
#include <functional>
#include <string>

struct TSceneState;

class TLighterPicture {
public:
  // Seconds from any fixed start.
  using TClock = std::function<double()>;
  static double SteadySeconds();
  // Together with the window's tick (200 ms), the exact picture starts
  // within half a second of the last step.
  static constexpr double SettleSeconds = 0.25;

  explicit TLighterPicture(TClock Clock = SteadySeconds) : FClock(std::move(Clock)) {}

  // For a paint of State about to be made: true to draw it lighter.
  // MeshHasLighter: the mesh has a lighter outline that leaves edges out.
  bool Decide(const TSceneState& State, bool MeshHasLighter);
  // True when the last paint was lighter and the exact picture is now due.
  bool ExactDue() const;
  bool LastWasLighter() const { return FLastLighter; }

private:
  TClock FClock;
  std::string FLastView;  // the view angles and zoom of the last paint, with its mesh
  std::string FLastMesh;
  double FLastStep = 0;
  bool FStepped = false;
  bool FLastLighter = false;
};
