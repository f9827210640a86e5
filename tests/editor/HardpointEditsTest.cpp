// The hardpoint grid's store, the row normalisation and the rotation builder.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "editor/HardpointEdits.h"
#include "gl/HeadlessContext.h"
#include "runtime/NumberFormat.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/Rotation.h"

namespace {

std::array<float, 16> IdentityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

using TTexts = std::vector<std::string>;

// Types Texts into the boxes from First on.
void Put(TGridTexts& T, size_t First, TTexts Texts) {
  for (std::string& Text : Texts) T[First++] = std::move(Text);
}

// Count boxes from First on.
TTexts Boxes(const TGridTexts& T, size_t First, size_t Count) {
  return TTexts(T.begin() + long(First), T.begin() + long(First + Count));
}

}  // namespace

TEST(HardpointGrid, ShowingKeepsFullPrecisionAndAStoreChangesOnlyTheValuesRetyped) {
  // Axes turned by 15 degrees: no value is a three-decimal number.
  std::array<float, 16> M = IdentityMatrix();
  M[0] = M[10] = 0.9659258f, M[2] = -0.25881904f, M[8] = 0.25881904f;
  M[12] = 0.12345f;
  TGridTexts T;
  ShowMatrix(M, T);
  EXPECT_EQ(Boxes(T, 0, 3), (TTexts{"0.966", "0.000", "-0.259"}));
  EXPECT_EQ(T[12], "0.123");

  // Nothing retyped: no step, every bit kept.
  for (const TGridStoreMode Mode : {TGridStoreMode::Typing, TGridStoreMode::Written}) {
    const TGridStore Store = StoreGrid(T, M, Mode);
    EXPECT_FALSE(Store.Changed);
    EXPECT_EQ(Store.Matrix, M);
  }
  // One value retyped: it alone changes; the axes stay of unit length.
  T[14] = "1.6";
  std::array<float, 16> Expected = M;
  Expected[14] = 1.6f;
  TGridStore Store = StoreGrid(T, M, TGridStoreMode::Typing);
  EXPECT_TRUE(Store.Changed);
  EXPECT_EQ(Store.Matrix, Expected);
  // A text other than the shown one that reads as the stored value is no
  // change; neither is the text shown for the new value.
  T[14] = "1.600", M = Expected;
  T[13] = " 0e0 ";
  EXPECT_FALSE(StoreGrid(T, M, TGridStoreMode::Written).Changed);
}

TEST(HardpointGrid, ATextThatIsNoNumberWaitsWhileTypingAndIsRefusedWhenEnteredOrWritten) {
  const std::array<float, 16> M = IdentityMatrix();
  TGridTexts T = IdentityGridTexts();
  T[0] = "5";
  std::array<float, 16> Five = M;
  Five[0] = 5;
  for (const std::string Bad : {"-", "", "1e", "1,5", "1e99"}) {
    SCOPED_TRACE(Bad);
    const std::string Message =
        Bad == "1e99" ? "Floating point overflow" : "'" + Bad + "' is not a valid floating point value";
    T[15] = Bad;
    // The box half typed keeps its value; the others are stored.
    EXPECT_EQ(StoreGrid(T, M, TGridStoreMode::Typing, 15).Matrix, Five);
    EXPECT_EQ(StoreGrid(T, M, TGridStoreMode::Entered, 0).Matrix, Five);
    // The box entered or left, or any box after "u" or "r", must read.
    EXPECT_EQ(MessageOf([&] { StoreGrid(T, M, TGridStoreMode::Entered, 15); }), Message);
    EXPECT_EQ(MessageOf([&] { StoreGrid(T, M, TGridStoreMode::Written); }), Message);
  }
  // The first box in grid order is the one named.
  T[2] = "x";
  EXPECT_EQ(MessageOf([&] { StoreGrid(T, M, TGridStoreMode::Written); }), "'x' is not a valid floating point value");
}

TEST(HardpointGrid, NormalisingARowScalesItToUnitLength) {
  TGridTexts T = IdentityGridTexts();
  Put(T, 0, {"3", "0", "4", "7"});  // the grey box stays as it is
  NormaliseRow(T, 0);
  EXPECT_EQ(Boxes(T, 0, 4), (TTexts{"0.600", "0.000", "0.800", "7"}));

  // Rows 2 and 3 use their own boxes only.
  Put(T, 4, {"0", "-2", "0"});
  T[9] = "0.5";
  NormaliseRow(T, 1);
  EXPECT_EQ(T[5], "-1.000");
  EXPECT_EQ(T[9], "0.5");
  Put(T, 8, {"1", "1", "1"});
  NormaliseRow(T, 2);
  EXPECT_EQ(T[8], "0.577");
  EXPECT_EQ(T[10], "0.577");
  EXPECT_EQ(T[0], "0.600");
}

TEST(HardpointGrid, ARowOfUnitLengthIsOnlyReformatted) {
  TGridTexts T = IdentityGridTexts();
  // Within a millionth of unit length: the values stay, only reformatted.
  Put(T, 0, {"0.6", "0.8", "0"});
  NormaliseRow(T, 0);
  EXPECT_EQ(Boxes(T, 0, 2), (TTexts{"0.600", "0.800"}));
  Put(T, 0, {"1.0000004", "0"});
  NormaliseRow(T, 0);
  EXPECT_EQ(T[0], "1.000");
}

TEST(HardpointGrid, NormalisingFailuresChangeNoText) {
  TGridTexts T = IdentityGridTexts();
  Put(T, 0, {"0", "0.0", "-0"});
  const TGridTexts Before = T;
  EXPECT_EQ(MessageOf([&] { NormaliseRow(T, 0); }), "Invalid floating point operation");
  EXPECT_EQ(T, Before);
  T[1] = "x";
  EXPECT_EQ(MessageOf([&] { NormaliseRow(T, 0); }), "'x' is not a valid floating point value");
  T[1] = "0.0";
  EXPECT_EQ(T, Before);
}

// The rotation builder needs OpenGL's matrix stack.
class RotationBuilder : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    try {
      Context = std::make_unique<THeadlessGL>(16, 16);
    } catch (const Exception& E) {
      Problem = E.Message();
    }
  }
  static void TearDownTestSuite() { Context.reset(); }
  void SetUp() override {
    if (!Context) GTEST_SKIP() << Problem;
    Context->Activate();
  }
  // Answers each prompt with its default text, recording what was asked.
  TAskText AcceptOffered() {
    return [this](const std::string& Caption, const std::string& Prompt, const std::string& Default) {
      Asked.push_back(Caption + "|" + Prompt + "|" + Default);
      return Default;
    };
  }
  TAskText Answer(std::vector<std::string> Answers) {
    auto Shared = std::make_shared<std::vector<std::string>>(std::move(Answers));
    return [this, Shared](const std::string& Caption, const std::string& Prompt, const std::string& Default) {
      Asked.push_back(Caption + "|" + Prompt + "|" + Default);
      std::string A = Shared->front();
      Shared->erase(Shared->begin());
      return A;
    };
  }
  std::vector<std::string> Asked;
  static std::unique_ptr<THeadlessGL> Context;
  static std::string Problem;
};
std::unique_ptr<THeadlessGL> RotationBuilder::Context;
std::string RotationBuilder::Problem;

TEST_F(RotationBuilder, QuarterTurnAboutXFromTheIdentity) {
  TGridTexts T = IdentityGridTexts();
  T[12] = "1.500";
  T[13] = "-2";
  T[14] = "x";  // the position boxes are not read and keep their texts
  CreateRotation(IdentityMatrix(), T, Answer({"90", "0", "0"}));
  EXPECT_EQ(Asked, (std::vector<std::string>{"Create Rotation|X Axis:|0.00", "Create Rotation|Y Axis:|0.00",
                                             "Create Rotation|Z Axis:|0.00"}));
  const TGridTexts Expected = {"1.000", "0.000",  "0.000", "0.000", "0.000", "0.000", "1.000", "0.000",
                               "0.000", "-1.000", "0.000", "0.000", "1.500", "-2",    "x",     "1.000"};
  EXPECT_EQ(T, Expected);
}

TEST_F(RotationBuilder, SingleAxisRotationsOfferTheirAngle) {
  TGridTexts T = IdentityGridTexts();
  CreateRotation(RotationZYX(0, 30, 0), T, AcceptOffered());
  EXPECT_EQ(Asked[0], "Create Rotation|X Axis:|0.00");
  EXPECT_EQ(Asked[1], "Create Rotation|Y Axis:|30.00");
  EXPECT_EQ(Asked[2], "Create Rotation|Z Axis:|0.00");
}

TEST_F(RotationBuilder, AcceptingTheOfferedAnglesKeepsTheRotation) {
  // Combined rotations: the offered angles decompose the stored matrix, and
  // composing them again must give it back.
  const double Cases[][3] = {{-60, 25, 40}, {10, -70, 135}, {170, 5, -100}, {30, 30, 30}};
  for (const auto& C : Cases) {
    const std::array<float, 16> Stored = RotationZYX(C[0], C[1], C[2]);
    TGridTexts Shown, Rebuilt = IdentityGridTexts();
    ShowMatrix(Stored, Shown);
    Asked.clear();
    CreateRotation(Stored, Rebuilt, AcceptOffered());
    EXPECT_EQ(Asked[0], "Create Rotation|X Axis:|" + FormatFixed2(float(C[0])));
    for (int I = 0; I < 12; ++I)
      EXPECT_EQ(Rebuilt[I], Shown[I]) << "element " << I << " of " << C[0] << ", " << C[1] << ", " << C[2];
  }
}

TEST_F(RotationBuilder, ComposingLeavesTheModelViewMatrixAsItWas) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1, 2, 3);
  const std::array<double, 16> R = ComposeRotation(0, 0, 90);
  EXPECT_NEAR(R[1], 1.0, 1e-6);  // x goes to y
  EXPECT_NEAR(R[4], -1.0, 1e-6);
  double After[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, After);
  EXPECT_EQ(After[12], 1.0);
  EXPECT_EQ(After[14], 3.0);
  EXPECT_EQ(After[0], 1.0);
}

TEST_F(RotationBuilder, FailuresStopBeforeAnyTextChanges) {
  TGridTexts T = IdentityGridTexts();
  const TGridTexts Before = T;
  std::array<float, 16> NotARotation = IdentityMatrix();
  NotARotation[2] = 1.5f;
  EXPECT_EQ(MessageOf([&] { CreateRotation(NotARotation, T, AcceptOffered()); }), "Invalid floating point operation");
  EXPECT_TRUE(Asked.empty());
  EXPECT_EQ(T, Before);

  EXPECT_EQ(MessageOf([&] {
              CreateRotation(IdentityMatrix(), T, Answer({"10", "ten", "0"}));
            }),
            "'ten' is not a valid floating point value");
  EXPECT_EQ(T, Before);
}
