#include "editor/LighterPicture.h"

#include <chrono>

#include "editor/Scene.h"
#include "model/TZorvObject.h"

namespace {

template <class T>
void Append(std::string& Key, const T& Value) {
  Key.append(reinterpret_cast<const char*>(&Value), sizeof Value);
}

}  // namespace

double TLighterPicture::SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool TLighterPicture::Decide(const TSceneState& State, bool MeshHasLighter) {
  std::string View, Mesh;
  Append(View, State.Angles);
  Append(View, State.Scale);
  Append(Mesh, State.Model);
  if (State.Model != nullptr) Append(Mesh, State.Model->MeshVersion());
  const double Now = FClock();
  // The first paint of a mesh is no step, whatever the view.
  if (Mesh == FLastMesh && View != FLastView) {
    FLastStep = Now;
    FStepped = true;
  }
  if (Mesh != FLastMesh) FStepped = false;
  FLastView = std::move(View);
  FLastMesh = std::move(Mesh);
  FLastLighter = MeshHasLighter && FStepped && Now - FLastStep < SettleSeconds;
  return FLastLighter;
}

bool TLighterPicture::ExactDue() const { return FLastLighter && FClock() - FLastStep >= SettleSeconds; }
