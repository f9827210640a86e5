// What the window draws, read from the pixels of grabbed frames: the four
// layouts, the zoom (arrows, wheel), the sphere, the viewport in device
// pixels, the mouse drag, drops, the timer and the closed window.
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <QWheelEvent>

#include "tests/app/FormFixture.h"

namespace {

class DrawingTest : public FormTest {
protected:
  void SetUp() override {
    File = StandardModel();
    Open(File);
    Form->lbHards->SetItemIndex(-1);
  }

  // Lit pixels of the frame within HalfUnits (in -1..1 units) of the point
  // (U, V) of the -1..1 square (v up).
  static int LitNear(const QImage& Image, double U, double V, double HalfUnits = 0.12) {
    const double W = Image.width(), H = Image.height();
    const int X0 = int((U - HalfUnits + 1) / 2 * W), X1 = int((U + HalfUnits + 1) / 2 * W);
    const int Y0 = int((1 - (V + HalfUnits)) / 2 * H), Y1 = int((1 - (V - HalfUnits)) / 2 * H);
    int Lit = 0;
    for (int Y = std::max(Y0, 0); Y <= std::min(Y1, int(H) - 1); ++Y)
      for (int X = std::max(X0, 0); X <= std::min(X1, int(W) - 1); ++X)
        if ((Image.pixel(X, Y) & 0xFFFFFF) != 0) ++Lit;
    return Lit;
  }
  QImage FrameOf(int Layout) {
    Form->cbView->setCurrentIndex(Layout);
    QImage F = Frame();
    if (qEnvironmentVariableIsSet("QUELBIR_SHOTS"))
      F.save(qEnvironmentVariable("QUELBIR_SHOTS") + QString("/layout%1.png").arg(Layout));
    return F;
  }

  std::string File;
};

TEST_F(DrawingTest, EachSingleViewShowsTheAxesWhereTheLayoutPutsThem) {
  // The boxes sit at +x 0.4, +y 0.25 and +z 0.6 at a fit Scale of 1.
  const QImage Back = FrameOf(3);
  EXPECT_GT(LitNear(Back, 0.4, 0), 0);   // x to the right
  EXPECT_GT(LitNear(Back, 0, 0.25), 0);  // y up
  EXPECT_EQ(LitNear(Back, -0.4, 0), 0);
  EXPECT_EQ(LitNear(Back, 0, -0.25), 0);

  const QImage Top = FrameOf(1);
  EXPECT_GT(LitNear(Top, 0, -0.6), 0);  // z down the screen
  EXPECT_EQ(LitNear(Top, 0, 0.6), 0);
  EXPECT_GT(LitNear(Top, 0.4, 0), 0);

  const QImage Side = FrameOf(2);
  EXPECT_GT(LitNear(Side, 0.6, 0), 0);   // z to the right
  EXPECT_GT(LitNear(Side, 0, 0.25), 0);  // y up
  EXPECT_EQ(LitNear(Side, -0.6, 0), 0);
  EXPECT_EQ(LitNear(Side, 0.3, 0, 0.05), 0);  // x lies along the depth
}

TEST_F(DrawingTest, TheDrawingReachesTheScreen) {
  const int Painted = Form->PaintCount();
  Form->cbView->setCurrentIndex(3);
  ASSERT_TRUE(WaitUntil([&] { return Form->PaintCount() >= Painted + 1; }));
  QTest::qWait(250);  // the frame is presented
  const QPoint Origin = Form->mapToGlobal(QPoint(0, 0));
  const QImage Screen = Form->screen()->grabWindow(0, Origin.x(), Origin.y(), Form->width(), Form->height()).toImage();
  ASSERT_FALSE(Screen.isNull());
  // The right half of the client area, clear of the panels: the +x box.
  EXPECT_GT(LitNear(Screen, 0.4, 0), 0);
  EXPECT_EQ(LitNear(Screen, 0.8, -0.6), 0);
}

TEST_F(DrawingTest, ThreeViewsFillThreeQuartersAndLeaveTheUpperLeftEmpty) {
  const QImage Three = FrameOf(0);
  EXPECT_GT(LitNear(Three, 0.5 + 0.4, -0.5), 0);    // back view, lower right: +x
  EXPECT_GT(LitNear(Three, 0.5 + 0.4, 0.5), 0);     // top view, upper right: +x
  EXPECT_GT(LitNear(Three, -0.5, -0.5 + 0.25), 0);  // side view, lower left: +y up
  int Lit = 0;
  for (int Y = 0; Y < Three.height() / 2; ++Y)
    for (int X = 0; X < Three.width() / 2; ++X) Lit += (Three.pixel(X, Y) & 0xFFFFFF) != 0;
  EXPECT_EQ(Lit, 0);
}

TEST_F(DrawingTest, ArrowsAndWheelStepTheZoomThroughTheUpDownControl) {
  Form->edScale->setFocus();
  QTest::keyClick(Form->edScale, Qt::Key_Up);
  EXPECT_EQ(Form->edScale->text(), "120");
  EXPECT_EQ(Form->View.Scale, 1.2f);
  for (int I = 0; I < 3; ++I) QTest::keyClick(Form->edScale, Qt::Key_Down);
  EXPECT_EQ(Form->edScale->text(), "60");
  EXPECT_EQ(Form->UpDown1->Position(), 60);

  // One wheel notch over the drawing is one step.
  const QPointF At(300, 200);
  QWheelEvent Notch(At, Form->GLView->mapToGlobal(At), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(Form->GLView, &Notch);
  EXPECT_EQ(Form->edScale->text(), "80");
  EXPECT_EQ(Form->View.Scale, 0.8f);
  for (int I = 0; I < 2; ++I) {
    QWheelEvent Half(At, Form->GLView->mapToGlobal(At), QPoint(), QPoint(0, -60), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(Form->GLView, &Half);
  }
  EXPECT_EQ(Form->edScale->text(), "60");

  // Zoom 200 doubles the model: the +x box moves from 0.4 to 0.8.
  Form->edScale->setText("200");
  const QImage Zoomed = FrameOf(3);
  EXPECT_GT(LitNear(Zoomed, 0.8, 0, 0.25), 0);
  EXPECT_EQ(LitNear(Zoomed, 0.4, 0, 0.03), 0);
  // Not a whole number: zoom 1.
  Form->edScale->setText("1.5");
  EXPECT_EQ(Form->View.Scale, 1.0f);
}

TEST_F(DrawingTest, UntickingHideShowsTheSphereOnTheModelAtAnyZoom) {
  // The sphere's grey-blue (0.3, 0.3, 0.4), not the cross's lighter blue.
  auto IsSphere = [](QRgb P) { return qRed(P) > 50 && qRed(P) < 100 && qGreen(P) == qRed(P) && qBlue(P) > qRed(P); };
  auto HasSphere = [&](const QImage& Image) {
    for (int Y = 0; Y < Image.height(); ++Y)
      for (int X = 0; X < Image.width(); ++X)
        if (IsSphere(Image.pixel(X, Y))) return true;
    return false;
  };
  Form->EditPosX->setText("0.4");
  Form->EditPosZ->setText("0");
  Form->EditDiameter->setText("0.05");
  PressEnter(Form->EditPosX);
  Form->edScale->setText("200");
  EXPECT_FALSE(HasSphere(FrameOf(3)));
  Form->chkHideSphere->setChecked(false);
  const QImage Shown = FrameOf(3);
  // The small sphere sits on the +x box, which zoom 200 moved to 0.8.
  int SphereNear = 0, SphereFar = 0;
  for (int Y = 0; Y < Shown.height(); ++Y)
    for (int X = 0; X < Shown.width(); ++X) {
      if (!IsSphere(Shown.pixel(X, Y))) continue;
      const double U = 2.0 * X / Shown.width() - 1;
      (std::abs(U - 0.8) < 0.15 ? SphereNear : SphereFar)++;
    }
  EXPECT_GT(SphereNear, 0);
  EXPECT_EQ(SphereFar, 0);
}

TEST_F(DrawingTest, TheViewportCoversTheClientAreaInDevicePixels) {
  const double Ratio = Form->GLView->devicePixelRatioF();
  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
    EXPECT_EQ(Ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
  }
  const QImage Back = FrameOf(3);
  EXPECT_EQ(Back.width(), int(Form->width() * Ratio));
  EXPECT_EQ(Back.height(), int(Form->height() * Ratio));
  EXPECT_EQ(Form->GLView->DeviceWidth(), Back.width());
  // The -1..1 square spans the whole frame: the +x box at 0.4 lands at 70%
  // of the width, whatever the ratio.
  EXPECT_GT(LitNear(Back, 0.4, 0), 0);
  EXPECT_EQ(LitNear(Back, 0.2, 0, 0.03), 0);
  // A wider window stretches the drawing.
  Form->resize(Form->width() * 3 / 2, Form->height());
  ASSERT_TRUE(WaitUntil([&] { return Form->GLView->width() == Form->width(); }));
  const QImage Wide = Frame();
  EXPECT_EQ(Wide.width(), int(Form->width() * Ratio));
  EXPECT_GT(LitNear(Wide, 0.4, 0), 0);
}

TEST_F(DrawingTest, ALeftDragRotatesTheViewsAndShowsTheAnglesMeanwhile) {
  const QImage Before = FrameOf(3);
  auto Send = [&](QEvent::Type Type, Qt::MouseButton Button, QPoint At) {
    QMouseEvent Event(Type, QPointF(At), Form->GLView->mapToGlobal(QPointF(At)), Button,
                      Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton),
                      Qt::NoModifier);
    QApplication::sendEvent(Form->GLView, &Event);
  };
  // A move without a press does nothing.
  Send(QEvent::MouseMove, Qt::NoButton, {10, 10});
  EXPECT_EQ(Form->View.Angles[0], 0.0f);
  Send(QEvent::MouseButtonPress, Qt::LeftButton, {100, 100});
  EXPECT_TRUE(Form->Tools.Dragging());
  Send(QEvent::MouseMove, Qt::NoButton, {130, 55});
  EXPECT_EQ(Form->View.Angles[0], -30.0f);
  EXPECT_EQ(Form->View.Angles[1], 45.0f);
  EXPECT_EQ(Caption(), "-30.00, 45.00, 0.00");
  EXPECT_NE(Frame(), Before);
  Send(QEvent::MouseButtonRelease, Qt::LeftButton, {130, 55});
  EXPECT_FALSE(Form->Tools.Dragging());
  EXPECT_EQ(Caption(), "QUELBIR Editor [model.iff [0000]]");
  EXPECT_EQ(Form->View.Angles[0], -30.0f);
  // Another button ends a drag without starting one.
  Send(QEvent::MouseButtonPress, Qt::RightButton, {0, 0});
  EXPECT_FALSE(Form->Tools.Dragging());
  // Escape during a drag turns the views back to where it started; Home
  // turns them back to none.
  Send(QEvent::MouseButtonPress, Qt::LeftButton, {100, 100});
  Send(QEvent::MouseMove, Qt::NoButton, {110, 100});
  EXPECT_EQ(Form->View.Angles[0], -10.0f);
  QTest::keyClick(Form->GLView, Qt::Key_Escape);
  EXPECT_EQ(Form->View.Angles[0], -30.0f);
  EXPECT_EQ(Caption(), "QUELBIR Editor [model.iff [0000]]");
  Send(QEvent::MouseButtonRelease, Qt::LeftButton, {110, 100});
  EXPECT_EQ(Form->View.Angles[0], -30.0f);
  QTest::keyClick(Form->GLView, Qt::Key_Home);
  EXPECT_EQ(Form->View.Angles[0], 0.0f);
  EXPECT_EQ(Form->View.Angles[1], 0.0f);
  EXPECT_FALSE(Form->Document.History().CanUndo());  // the views' turn is no step
}

TEST_F(DrawingTest, ADroppedModelFileLoadsAsTheLoadCommandWould) {
  const std::string Other = Dir.File("Dropped.IFF");
  WriteModel(Other, AxisBoxesMesh(), {Hardpoint("drop", Translation(0, 0, 0))}, std::array<float, 4>{2, 2, 2, 2});
  auto Drop = [&](const QString& Path) {
    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile(Path)});
    QDragEnterEvent Enter(QPoint(50, 50), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &Enter);
    const bool Accepted = Enter.isAccepted();
    QDropEvent Dropped(QPointF(50, 50), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &Dropped);
    return Accepted;
  };
  EXPECT_FALSE(Drop(QString::fromStdString(Dir.File("notes.txt"))));
  EXPECT_EQ(Form->Document.FileName(), File);
  EXPECT_TRUE(Drop(QString::fromStdString(Other)));
  EXPECT_EQ(Form->Document.FileName(), Other);
  EXPECT_EQ(Caption(), "QUELBIR Editor [dropped.iff [0000]]");
  EXPECT_EQ(ListEntries(), std::vector<std::string>{"drop"});
  // A file that is gone by the time it is dropped is ignored, like a
  // missing file of the load command.
  Drop(QString::fromStdString(Dir.File("vanished.iff")));
  EXPECT_EQ(Form->Document.FileName(), Other);
  EXPECT_TRUE(Services.Messages.empty());
}

// A dropped mesh opens as a new model, which a later load asks about first.
TEST_F(DrawingTest, ADroppedMeshOpensAsANewModelAndALaterLoadAsksFirst) {
  const std::string Mesh = Dir.File("ship.obj");
  std::ofstream(Mesh) << "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n";
  QMimeData Data;
  Data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Mesh))});
  QDragEnterEvent Enter(QPoint(50, 50), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Form.get(), &Enter);
  EXPECT_TRUE(Enter.isAccepted());
  QDropEvent Dropped(QPointF(50, 50), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Form.get(), &Dropped);
  EXPECT_TRUE(Form->Document.NewModel());
  EXPECT_EQ(Caption(), "QUELBIR Editor [ship.obj (new model, not saved) [0000]]");

  Services.AskAnswers = {"Cancel"};
  LoadThroughDialog(File);
  ASSERT_EQ(Services.Questions.size(), 1u);
  EXPECT_EQ(Services.Questions[0].Buttons, (std::vector<std::string>{"Save Model As...", "Discard", "Cancel"}));
  EXPECT_TRUE(Form->Document.NewModel());
  Services.AskAnswers = {"Discard"};
  LoadThroughDialog(File);
  EXPECT_EQ(Form->Document.FileName(), File);
  // Named on the command line, the mesh opens the same way.
  Form->close();
  Open(Mesh);
  EXPECT_EQ(Caption(), "QUELBIR Editor [ship.obj (new model, not saved) [0000]]");
  EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(DrawingTest, TheTimerRepaintsWhatChangedOnlyAndAClosedWindowDrawsNothing) {
  ASSERT_TRUE(WaitUntil([&] { return Form->PaintCount() > 0; }));
  QTest::qWait(450);  // the first frames are in
  const int Idle = Form->PaintCount();
  QTest::qWait(650);
  EXPECT_EQ(Form->PaintCount(), Idle);  // nothing changed, nothing drawn
  Form->chkHideSphere->setChecked(!Form->chkHideSphere->isChecked());
  EXPECT_TRUE(WaitUntil([&] { return Form->PaintCount() > Idle; }));
  Form->close();
  const int Closed = Form->PaintCount();
  Form->Handle([&] { Form->Timer1Timer(); });
  Form->GLView->grabFramebuffer();
  QTest::qWait(450);
  EXPECT_EQ(Form->PaintCount(), Closed);
  EXPECT_TRUE(Services.Messages.empty());
}

}  // namespace
