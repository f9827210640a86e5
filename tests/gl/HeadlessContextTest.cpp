#include "gl/HeadlessContext.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <utility>
#include <vector>

#include "tests/support/ErrorMessage.h"

namespace {

std::array<uint8_t, 4> PixelAt(const std::vector<uint8_t>& Rgba, int Width, int X, int Y) {
  const size_t At = (size_t(Y) * size_t(Width) + size_t(X)) * 4;
  return {Rgba[At], Rgba[At + 1], Rgba[At + 2], Rgba[At + 3]};
}
using TRgba = std::array<uint8_t, 4>;
const TRgba Red{255, 0, 0, 255};
const TRgba Green{0, 255, 0, 255};
const TRgba Blue{0, 0, 255, 255};

// Clears the picture to red and fills its upper left quarter with green,
// in pixel coordinates with y running up, as OpenGL has it.
void DrawGreenQuarterOnRed(int Width, int Height) {
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0, Width, 0, Height);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(0, 1, 0);
  glBegin(GL_QUADS);
  glVertex2f(0, float(Height) / 2);
  glVertex2f(float(Width) / 2, float(Height) / 2);
  glVertex2f(float(Width) / 2, float(Height));
  glVertex2f(0, float(Height));
  glEnd();
}

void ExpectGreenQuarterOnRed(THeadlessGL& Context) {
  const int W = Context.Width(), H = Context.Height();
  const std::vector<uint8_t> Picture = Context.ReadPixels();
  ASSERT_EQ(Picture.size(), size_t(W) * size_t(H) * 4);
  // Top row first: the green quarter is at the start of the buffer.
  EXPECT_EQ(PixelAt(Picture, W, 0, 0), Green);
  EXPECT_EQ(PixelAt(Picture, W, W / 2 - 1, H / 2 - 1), Green);
  EXPECT_EQ(PixelAt(Picture, W, W / 2, 0), Red);
  EXPECT_EQ(PixelAt(Picture, W, 0, H / 2), Red);
  EXPECT_EQ(PixelAt(Picture, W, W - 1, H - 1), Red);
}

// The width and height of the current context's viewport.
std::pair<GLint, GLint> ViewportSize() {
  GLint Viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, Viewport);
  return {Viewport[2], Viewport[3]};
}

TEST(HeadlessGL, DrawsAndReadsBackTopRowFirst) {
  THeadlessGL Context(64, 32);
  DrawGreenQuarterOnRed(64, 32);
  Context.Swap();  // the picture stays readable after the swap
  ExpectGreenQuarterOnRed(Context);
}

TEST(HeadlessGL, IsACompatibilityContextWithRgbaAndDepth) {
  THeadlessGL Context(16, 16);
  GLint Bits = 0;
  for (GLenum Channel : {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS}) {
    glGetIntegerv(Channel, &Bits);
    EXPECT_EQ(Bits, 8) << "channel 0x" << std::hex << Channel;
  }
  glGetIntegerv(GL_DEPTH_BITS, &Bits);
  EXPECT_GE(Bits, 24);
  EXPECT_EQ(ViewportSize(), std::make_pair(16, 16));
  // Immediate mode works: no error after a begin/end pair.
  glBegin(GL_LINES);
  glVertex3f(0, 0, 0);
  glVertex3f(1, 1, 0);
  glEnd();
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(HeadlessGL, DepthTestingHidesWhatLiesBehind) {
  THeadlessGL Context(8, 8);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  auto Square = [](float Z, float R, float G, float B) {
    glColor3f(R, G, B);
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, Z);
    glVertex3f(1, -1, Z);
    glVertex3f(1, 1, Z);
    glVertex3f(-1, 1, Z);
    glEnd();
  };
  Square(-0.5f, 0, 0, 1);  // near
  Square(0.5f, 1, 0, 0);   // far, drawn later
  EXPECT_EQ(PixelAt(Context.ReadPixels(), 8, 4, 4), Blue);
}

TEST(HeadlessGL, FeedbackModeGivesTheTransformedVerticesInOrder) {
  THeadlessGL Context(100, 50);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  std::vector<GLfloat> Feedback(64);
  glFeedbackBuffer(GLsizei(Feedback.size()), GL_3D, Feedback.data());
  glRenderMode(GL_FEEDBACK);
  glBegin(GL_TRIANGLES);
  glVertex3f(-1, -1, 0);
  glVertex3f(1, -1, 0);
  glVertex3f(0, 1, 0.5f);
  glEnd();
  glBegin(GL_LINES);
  glVertex3f(-0.5f, 0, 0);
  glVertex3f(0.5f, 0.5f, 0);
  glEnd();
  const GLint Values = glRenderMode(GL_RENDER);
  ASSERT_EQ(Values, 2 + 9 + 1 + 6);
  EXPECT_EQ(Feedback[0], GLfloat(GL_POLYGON_TOKEN));
  EXPECT_EQ(Feedback[1], 3);
  // Window coordinates: x over 0..100, y over 0..50, z over 0..1.
  const std::vector<GLfloat> Triangle(Feedback.begin() + 2, Feedback.begin() + 11);
  EXPECT_EQ(Triangle, (std::vector<GLfloat>{0, 0, 0.5f, 100, 0, 0.5f, 50, 50, 0.75f}));
  EXPECT_TRUE(Feedback[11] == GLfloat(GL_LINE_RESET_TOKEN) || Feedback[11] == GLfloat(GL_LINE_TOKEN));
  const std::vector<GLfloat> Line(Feedback.begin() + 12, Feedback.begin() + 18);
  EXPECT_EQ(Line, (std::vector<GLfloat>{25, 25, 0.5f, 75, 37.5f, 0.5f}));
}

TEST(HeadlessGL, GluQuadricsDraw) {
  THeadlessGL Context(32, 32);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(0, 0, 1);
  GLUquadric* Quadric = gluNewQuadric();
  ASSERT_NE(Quadric, nullptr);
  gluSphere(Quadric, 0.5, 16, 16);
  gluDeleteQuadric(Quadric);
  const std::vector<uint8_t> Picture = Context.ReadPixels();
  EXPECT_EQ(PixelAt(Picture, 32, 16, 16), Blue);
  EXPECT_EQ(PixelAt(Picture, 32, 1, 1), (TRgba{0, 0, 0, 255}));
}

TEST(HeadlessGL, DrawsWithoutASurfaceIntoAFramebufferObject) {
  THeadlessBackend& Backend = THeadlessBackend::Instance();
  Backend.SetUsePbuffer(false);
  {
    THeadlessGL Context(40, 20);
    Backend.SetUsePbuffer(true);
    EXPECT_EQ(ViewportSize(), std::make_pair(40, 20));
    DrawGreenQuarterOnRed(40, 20);
    Context.Swap();
    ExpectGreenQuarterOnRed(Context);
  }
  Backend.SetUsePbuffer(true);
}

TEST(HeadlessGL, TwoSlotsKeepTheirOwnPictures) {
  THeadlessGL First(10, 10, 1);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  THeadlessGL Second(6, 4, 2);
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  const std::vector<uint8_t> A = First.ReadPixels();
  const std::vector<uint8_t> B = Second.ReadPixels();
  ASSERT_EQ(A.size(), 10u * 10 * 4);
  ASSERT_EQ(B.size(), 6u * 4 * 4);
  EXPECT_EQ(PixelAt(A, 10, 9, 9), Blue);
  EXPECT_EQ(PixelAt(B, 6, 5, 3), Green);
}

TEST(HeadlessGL, ReadingIgnoresAndKeepsTheDrawingsPackSettings) {
  THeadlessGL Context(3, 2);  // rows of 12 bytes: padded under an alignment of 8
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 8);
  glPixelStorei(GL_PACK_SKIP_ROWS, 1);
  const std::vector<uint8_t> Picture = Context.ReadPixels();
  EXPECT_EQ(Picture.size(), 3u * 2 * 4);
  EXPECT_EQ(PixelAt(Picture, 3, 2, 1), Green);
  GLint Alignment = 0, SkipRows = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &Alignment);
  glGetIntegerv(GL_PACK_SKIP_ROWS, &SkipRows);
  EXPECT_EQ(Alignment, 8);
  EXPECT_EQ(SkipRows, 1);
}

// A stand-in for the window's back end, to see that it stays chosen.
class TIdleBackend : public TContextBackend {
  TDeviceContext GetDC(TWindowHandle) override { return nullptr; }
  void ChooseAndSetPixelFormat(TDeviceContext, TPixelFormatDescriptor&) override {}
  TRenderContext CreateContext(TDeviceContext) override { return nullptr; }
  void MakeCurrent(TDeviceContext, TRenderContext) override {}
  void SwapBuffers(TDeviceContext) override {}
  void DeleteContext(TRenderContext) override {}
  void ReleaseDC(TWindowHandle, TDeviceContext) override {}
};

TEST(HeadlessGL, LeavesTheChosenBackEndAndTheOldHandlesInPlace) {
  TIdleBackend Window;
  SetContextBackend(&Window);
  TDeviceContext DC = nullptr;
  TRenderContext RC = nullptr;
  {
    THeadlessGL Context(4, 4, 3);
    EXPECT_EQ(ContextBackend(), &Window);
    DC = DeviceContexts[3];
    RC = RenderContexts[3];
    EXPECT_NE(DC, nullptr);
    EXPECT_NE(RC, nullptr);
  }
  EXPECT_EQ(DeviceContexts[3], DC);
  EXPECT_EQ(RenderContexts[3], RC);
  SetContextBackend(nullptr);
  // A new context can be had on the slot afterwards.
  THeadlessGL Again(4, 4, 3);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(PixelAt(Again.ReadPixels(), 4, 0, 0), Blue);
}

std::string HeadlessErrorOf(int Width, int Height, int Slot) {
  return MessageOf<EHeadlessGL>([&] { THeadlessGL Context(Width, Height, Slot); });
}

TEST(HeadlessGL, RefusesSizesAndSlotsThatCannotBe) {
  EXPECT_EQ(HeadlessErrorOf(0, 10, 0), "THeadlessGL: the picture size 0x10 is not positive");
  EXPECT_EQ(HeadlessErrorOf(10, -1, 0), "THeadlessGL: the picture size 10x-1 is not positive");
  EXPECT_EQ(HeadlessErrorOf(10, 10, 8), "THeadlessGL: context slot 8 is outside 0..7");
  EXPECT_EQ(HeadlessErrorOf(10, 10, -1), "THeadlessGL: context slot -1 is outside 0..7");
}

TEST(HeadlessGL, ALiveSlotIsNotTakenOver) {
  THeadlessGL Owner(8, 8, 5);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  const TRenderContext Context = RenderContexts[5];
  EXPECT_EQ(HeadlessErrorOf(8, 8, 5), "THeadlessGL: context slot 5 is in use");
  EXPECT_EQ(RenderContexts[5], Context);
  EXPECT_EQ(PixelAt(Owner.ReadPixels(), 8, 7, 7), Blue);
}

TEST(HeadlessGL, APictureTooLargeForTheDriverIsAnErrorNotACrash) {
  const std::string Message = HeadlessErrorOf(1 << 20, 1 << 20, 4);
  EXPECT_EQ(Message.rfind("THeadlessGL: no framebuffer object of 1048576x1048576 (the largest is ", 0), 0u) << Message;
}

TEST(HeadlessGL, APictureWiderThanAPbufferDrawsIntoAFramebufferObject) {
  THeadlessGL Context(5000, 4);
  DrawGreenQuarterOnRed(5000, 4);
  ExpectGreenQuarterOnRed(Context);
}

}  // namespace
