// quelbir-cli apply FILE -o NEW.iff (--script TEXT | --from-gltf EDITED
// [--drop-missing]): a new model file with other hardpoints. FILE is only
// read; NEW.iff holds every byte of it except the hardpoints, which come
// from a hardpoint script (as `script` prints it, "-" for standard input) or
// from a glTF file as `script FILE --from-gltf` matches them, at full float
// precision, with the sphere as `sphere --from-gltf` reads it. What changed
// is said on standard error.
#include <cmath>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cli/Commands.h"
#include "editor/HardpointScript.h"
#include "interchange/GltfHardpoints.h"
#include "interchange/GltfSphere.h"
#include "interchange/HardpointMatch.h"
#include "model/EditorModel.h"
#include "model/HardpointName.h"
#include "model/ModelWriter.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"
#include "runtime/Latin1Text.h"
#include "runtime/OutputFiles.h"

namespace {

// What a script changes in the model's list: the k-th hardpoint of a name
// in the model is the k-th of that name in the script.
void SayScriptChanges(const std::vector<const THardpoint*>& Model, const std::vector<THardpoint>& Script,
                      std::ostream& Changes) {
  std::unordered_map<std::string, std::vector<size_t>> InScript;
  for (size_t I = 0; I < Script.size(); ++I) InScript[Script[I].Name].push_back(I);
  std::unordered_map<std::string, size_t> Taken;
  std::vector<bool> Matched(Script.size(), false);
  for (const THardpoint* Hardpoint : Model) {
    const std::string Shown = EscapeControlBytes(Hardpoint->Name);
    const auto Found = InScript.find(Hardpoint->Name);
    size_t& Next = Taken[Hardpoint->Name];
    if (Found == InScript.end() || Next >= Found->second.size()) {
      Changes << Shown << ": left out\n";
      continue;
    }
    const size_t I = Found->second[Next++];
    Matched[I] = true;
    double Largest = 0;
    bool Same = true;
    for (int Element : THardpoint::FileToMatrix) {
      const float A = Hardpoint->Matrix[size_t(Element)], B = Script[I].Matrix[size_t(Element)];
      Same = Same && std::memcmp(&A, &B, 4) == 0;
      Largest = std::fmax(Largest, std::fabs(double(A) - double(B)));
    }
    if (!Same) Changes << Shown << ": changed by up to " << Largest << "\n";
  }
  for (size_t I = 0; I < Script.size(); ++I)
    if (!Matched[I]) Changes << EscapeControlBytes(Script[I].Name) << ": added\n";
}

// The sphere an edited glTF gives the new file, as `sphere --from-gltf`
// reads it (its refusals stop the command before anything is written); none
// when the glTF or the model has none, said on Changes.
std::optional<TSphereValues> GltfSphereToApply(const std::string& ModelFile, const TGltfDocument& Document, int Root,
                                               const std::string& GltfFile, std::ostream& Changes) {
  const std::optional<TSphereValues> Edited = FindGltfSphere(Document, Root, GltfFile, Changes);
  TSphereValues Model;
  float Center[3], Diameter;
  bool TreePresent = false;
  try {
    ReadSphere(ModelFile, Center, Diameter, TreePresent, /*ReadOnly=*/true);
    Model = {Center[0], Center[1], Center[2], Diameter};
  } catch (const Exception& E) {
    // A model without a sphere gets none: the new file is the model with
    // other hardpoints, not another shape of file.
    if (Edited)
      Changes << "COLL SPHR: left out, as " << ModelFile << " holds no sphere to take it (" << E.Message() << ")\n";
    return std::nullopt;
  }
  if (!Edited) {
    Changes << "COLL SPHR: missing from " << GltfFile << "; kept as the model has it\n";
    return std::nullopt;
  }
  SayGltfSphereChange(Model, *Edited, Changes);
  return Edited;
}

}  // namespace

void AddApplyCommand(CLI::App& App) {
  struct TOptions {
    std::string File, Out, Script, FromGltf;
    bool DropMissing = false;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd =
      App.add_subcommand("apply", "Write a new model file: the model with the hardpoints of a script or a glTF file");
  Cmd->add_option("FILE", Options->File, "model file (.iff), only read")->required();
  Cmd->add_option("-o,--output", Options->Out, "the new model file (.iff); never FILE itself")->required();
  CLI::Option* Script = Cmd->add_option(
      "--script", Options->Script, "hardpoint script, as `script` prints it and the editor copies it (- for stdin)");
  CLI::Option* FromGltf = Cmd->add_option("--from-gltf", Options->FromGltf,
                                          "glTF file (.glb, .gltf) the export wrote and another tool edited");
  CLI::Option* Drop = Cmd->add_flag("--drop-missing", Options->DropMissing,
                                    "leave out the model's hardpoints the glTF file no longer has (else kept)");
  Script->excludes(FromGltf);
  Drop->needs(FromGltf);
  Cmd->callback(NamingModelFile(Options->File, [Options, Script, FromGltf] {
    if (Script->count() == 0 && FromGltf->count() == 0) throw CLI::RequiredError("--script or --from-gltf");
    CheckNotModelFile(Options->Out, Options->File);
    // Loading needs no OpenGL; the model is never drawn here. The loader
    // reads it as the window would, so only a model file becomes a new one.
    TZorvObject Model(TDisplayListPolicy::None);
    Model.OpenReadOnly = true;
    SetUpEditorModel(Model, Options->File);
    std::vector<const THardpoint*> Listed;
    for (int32_t I = 0; I < Model.HardpointCount(); ++I)
      if (const THardpoint* Hardpoint = Model.GetHardpoint(I)) Listed.push_back(Hardpoint);

    std::vector<THardpoint> Hardpoints;
    std::optional<TSphereValues> Sphere;
    std::ostringstream Changes;
    if (Script->count() > 0) {
      const std::string Source = Options->Script == "-" ? "standard input" : Options->Script;
      const std::string Text = ReadHardpointScriptInput(Options->Script, std::cin, HardpointScriptLimit());
      Hardpoints = ReadHardpointScript(Text, Source);
      SayScriptChanges(Listed, Hardpoints, Changes);
    } else {
      const TGltfDocument Document = ReadGltfDocument(Options->FromGltf);
      const std::string ModelName = Options->File.substr(Options->File.find_last_of('/') + 1);
      const int Root = GltfHardpointRoot(Document, Options->FromGltf, ModelName);
      for (THardpoint& Matched : MatchGltfHardpoints(Listed, FindGltfHardpoints(Document, Root, Options->FromGltf),
                                                     Options->FromGltf, Changes, Options->DropMissing))
        Hardpoints.push_back({std::move(Matched.Name), Matched.Matrix});
      // Names other than the model's own enter the file here: they obey the
      // rule, whatever the glTF's marks claim.
      std::unordered_set<std::string> Own;
      for (const THardpoint* Hardpoint : Listed) Own.insert(Hardpoint->Name);
      for (const THardpoint& Hardpoint : Hardpoints)
        if (!Own.count(Hardpoint.Name))
          if (const std::string Problem = HardpointNameProblem(Hardpoint.Name); !Problem.empty())
            throw EHardpointName(Options->FromGltf + ": hardpoint \"" + EscapeControlBytes(Hardpoint.Name) +
                                 "\": " + Problem);
      Sphere = GltfSphereToApply(Options->File, Document, Root, Options->FromGltf, Changes);
    }
    WriteModelFileWithHardpoints(Options->File, Options->Out, Hardpoints, Sphere ? &*Sphere : nullptr);
    std::cerr << Changes.str() << std::flush;
  }));
}
