#pragma once
// A real TForm1 on the screen, answered by scripted services, with model files
// built in a temporary folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ScriptedWindowServices.h"
#include "app/Unit1.h"
#include "editor/ScenePicture.h"
#include "gl/gltools.h"
#include "gl/qt/QtGLView.h"
#include "iff/IffWriter.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"
#include "tests/support/TempDir.h"

// Lets Qt run until Done holds or TimeoutMs passed; the result of Done.
inline bool WaitUntil(const std::function<bool()>& Done, int TimeoutMs = 5000) {
  QElapsedTimer Clock;
  Clock.start();
  while (!Done()) {
    if (Clock.elapsed() > TimeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qWait(10);
  }
  return true;
}

// A closed box of the given centre and half size, every face wound
// counter-clockwise as seen from outside.
inline void AddBox(TSampleMesh& Mesh, TVector C, float H) {
  auto P = [&](float X, float Y, float Z) { return TVector{C.X + X * H, C.Y + Y * H, C.Z + Z * H}; };
  Mesh.AddPolygon({P(-1, -1, 1), P(1, -1, 1), P(1, 1, 1), P(-1, 1, 1)});      // +z
  Mesh.AddPolygon({P(1, -1, -1), P(-1, -1, -1), P(-1, 1, -1), P(1, 1, -1)});  // -z
  Mesh.AddPolygon({P(1, -1, 1), P(1, -1, -1), P(1, 1, -1), P(1, 1, 1)});      // +x
  Mesh.AddPolygon({P(-1, -1, -1), P(-1, -1, 1), P(-1, 1, 1), P(-1, 1, -1)});  // -x
  Mesh.AddPolygon({P(-1, 1, 1), P(1, 1, 1), P(1, 1, -1), P(-1, 1, -1)});      // +y
  Mesh.AddPolygon({P(-1, -1, -1), P(1, -1, -1), P(1, -1, 1), P(-1, -1, 1)});  // -y
}

// Boxes at the origin and on the +x (0.4), +y (0.25) and +z (0.6) axes, each
// 0.2 wide: the largest extent is 0.8 (z), so the fit Scale is exactly 1.
inline TSampleMesh AxisBoxesMesh() {
  TSampleMesh Mesh;
  AddBox(Mesh, {0, 0, 0}, 0.1f);
  AddBox(Mesh, {0.4f, 0, 0}, 0.1f);
  AddBox(Mesh, {0, 0.25f, 0}, 0.1f);
  AddBox(Mesh, {0, 0, 0.6f}, 0.1f);
  return Mesh;
}

inline TSampleHardpoint Hardpoint(const std::string& Name, std::array<float, 16> Matrix) {
  TSampleHardpoint H;
  H.Name = Name;
  H.Matrix = Matrix;
  return H;
}

inline std::array<float, 16> Translation(float X, float Y, float Z) {
  return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, X, Y, Z, 1};
}

// A level-of-detail model file with one level, its hardpoints, and a FORM
// "COLL" whose chunk "SPHR" holds SphereBytes of Sphere's sixteen (none at all
// when Sphere is empty), then an EXTN form when asked.
inline void WriteModel(const std::string& FileName, const TSampleMesh& Mesh,
                       const std::vector<TSampleHardpoint>& Hardpoints, std::optional<std::array<float, 4>> Sphere,
                       bool WithExtn = true, int SphereBytes = 16) {
  TIffWriter Writer(FileName, wmFile);
  Writer.OpenForm(TIffTag("DETA"));
  Writer.OpenForm(TIffTag("MESH"));
  Writer.OpenForm(TIffTag("0000"));
  Writer.OpenForm(TIffTag("MESH"));
  Writer.OpenForm(TIffTag("0012"));
  WriteMeshChunks(Writer, Mesh);
  Writer.CloseForm();
  Writer.CloseForm();
  Writer.CloseForm();
  Writer.CloseForm();
  if (!Hardpoints.empty()) WriteHardForm(Writer, Hardpoints);
  if (Sphere) {
    Writer.OpenForm(TIffTag("COLL"));
    Writer.OpenChunk(TIffTag("SPHR"));
    Writer.Write(Sphere->data(), SphereBytes);
    Writer.CloseChunk();
    if (WithExtn) {
      Writer.OpenForm(TIffTag("EXTN"));
      Writer.CloseForm();
    }
    Writer.CloseForm();
  }
  Writer.CloseForm();
  Writer.Destroy();
}

// A model file with one level per entry of Sound, each the axis boxes, but
// without its "VTNM" chunk where the entry is false (the mesh then fails to
// load), and a sound sphere.
inline void WriteLevels(const std::string& FileName, const std::vector<bool>& Sound, std::array<float, 4> Sphere) {
  const TSampleMesh Mesh = AxisBoxesMesh();
  TIffWriter Writer(FileName, wmFile);
  Writer.OpenForm(TIffTag("DETA"));
  Writer.OpenForm(TIffTag("MESH"));
  for (size_t I = 0; I < Sound.size(); ++I) {
    const std::string Level = "000" + std::to_string(I);
    Writer.OpenForm(TIffTag::FromBytes(Level.data()));
    Writer.OpenForm(TIffTag("MESH"));
    Writer.OpenForm(TIffTag("0012"));
    if (Sound[I]) {
      WriteMeshChunks(Writer, Mesh);
    } else {
      auto Chunk = [&Writer](const char(&Tag)[5], const auto& Records) {
        Writer.OpenChunk(TIffTag(Tag));
        Writer.Write(Records.data(), int32_t(Records.size() * sizeof(Records[0])));
        Writer.CloseChunk();
      };
      Chunk("VERT", Mesh.Vertices);
      Chunk("FVRT", Mesh.FaceVertices);
      Chunk("FACE", Mesh.Faces);
    }
    Writer.CloseForm();
    Writer.CloseForm();
    Writer.CloseForm();
  }
  Writer.CloseForm();
  Writer.OpenForm(TIffTag("COLL"));
  Writer.OpenChunk(TIffTag("SPHR"));
  Writer.Write(Sphere.data(), 16);
  Writer.CloseChunk();
  Writer.CloseForm();
  Writer.CloseForm();
  Writer.Destroy();
}

class FormTest : public ::testing::Test {
protected:
  TempDir Dir;
  TScriptedWindowServices Services;
  std::unique_ptr<TForm1> Form;

  // The window as the program opens it, with Argument as the first
  // command-line argument.
  void Open(const std::string& Argument = "") {
    Services.CommandLineArgument = Argument;
    Form = std::make_unique<TForm1>(Services);
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  }

  void TearDown() override {
    // Unsaved work is discarded without a question left open.
    Services.AskAnswers = {"Discard"};
    if (Form) Form->close();
    Form.reset();
  }

  // The load command, answered with FileName.
  void LoadThroughDialog(const std::string& FileName) {
    Services.OpenAnswers.push_back(FileName);
    QTest::mouseClick(Form->Button1, Qt::LeftButton);
  }

  // A file with the axis boxes, two hardpoints and the sphere 1.5, 0, -2.25, 3.
  std::string StandardModel(const std::string& Name = "model.iff") {
    const std::string File = Dir.File(Name);
    WriteModel(File, AxisBoxesMesh(),
               {Hardpoint("gun1", Translation(1.5f, -2, 0.25f)), Hardpoint("engine", Translation(0, 0, -1))},
               std::array<float, 4>{1.5f, 0, -2.25f, 3});
    return File;
  }

  void TypeInto(TKeyPressEdit* Box, const QString& Text) {
    for (QChar C : Text) QTest::keyClick(Box, C.toLatin1());
  }
  void PressEnter(QWidget* Box) { QTest::keyClick(Box, Qt::Key_Return); }

  // Selects the whole text of Box and types Text over it, then Enter.
  void Retype(TKeyPressEdit* Box, const QString& Text) {
    Box->setFocus();
    Box->selectAll();
    TypeInto(Box, Text);
  }

  QImage Frame() { return Form->GLView->grabFramebuffer(); }

  std::vector<std::string> BoxTexts(std::initializer_list<TKeyPressEdit*> Boxes) {
    std::vector<std::string> Texts;
    for (auto* B : Boxes) Texts.push_back(B->text().toStdString());
    return Texts;
  }
  std::vector<std::string> SphereBoxes() {
    return BoxTexts({Form->EditPosX, Form->EditPosY, Form->EditPosZ, Form->EditDiameter});
  }
  std::vector<std::string> ListEntries() {
    std::vector<std::string> Entries;
    for (int I = 0; I < Form->lbHards->Count(); ++I) Entries.push_back(Form->lbHards->Item(I));
    return Entries;
  }
  std::string Caption() { return Form->windowTitle().toStdString(); }
  // Whether the window's picture failed for want of headless OpenGL (a test
  // of pictures is then skipped).
  bool NoHeadlessGL() const {
    return !Services.Messages.empty() && Services.Messages[0].rfind("THeadlessGL: ", 0) == 0;
  }
  // The picture `quelbir-cli render` paints for Request, painted beside the
  // window, which lets go of its context meanwhile as it does to paint one.
  void RenderBesideTheWindow(const TPictureRequest& Request, const std::string& Png) {
    SlotBackend(0)->MakeCurrent(nullptr, nullptr);
    RenderModelPicture(Request, Png);
    ActivateRenderContext(0);
  }
  // The sphere's "Diameter:" value changed as one step of the document.
  void SetSphereDiameter(float Diameter) {
    TSphereValues Values = Form->Document.Sphere();
    Values[3] = Diameter;
    Form->Document.ChangeSphere(Values, "Sphere Values");
  }
};

// The message a model load of FileName raises, as the model itself gives it.
inline std::string ModelLoadError(const std::string& FileName) {
  try {
    TZorvObject Model(TDisplayListPolicy::None);
    Model.SetLOD(1);
    Model.LoadFromFile(FileName);
  } catch (const Exception& E) {
    return E.Message();
  }
  return "";
}
