#include "app/UpDownControl.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include "app/KeyPressEdit.h"
#include "runtime/NumberFormat.h"

TUpDownControl::TUpDownControl(QWidget* Parent) : QWidget(Parent) {
  setFocusPolicy(Qt::NoFocus);
  connect(&FRepeat, &QTimer::timeout, this, &TUpDownControl::Repeat);
}

void TUpDownControl::SetRange(int Min, int Max) {
  FMin = Min;
  FMax = Max;
  FPosition = std::clamp(FPosition, FMin, FMax);
}

void TUpDownControl::SetAssociate(TKeyPressEdit* Edit) {
  if (FAssociate) FAssociate->removeEventFilter(this);
  FAssociate = Edit;
  if (FAssociate) FAssociate->installEventFilter(this);
}

void TUpDownControl::SetPosition(int Value) {
  FPosition = std::clamp(Value, FMin, FMax);
  WritePosition();
  emit PositionChanged(FPosition);
}

void TUpDownControl::WritePosition() {
  if (FAssociate) FAssociate->SetTextAndNotify(QString::number(FPosition));
}

void TUpDownControl::Step(int Steps) {
  if (FAssociate) {
    int Typed = 0;
    if (TryStrToInt(FAssociate->text().toStdString(), Typed)) FPosition = std::clamp(Typed, FMin, FMax);
  }
  long long Wanted = (long long)FPosition + (long long)Steps * FIncrement;
  int Next = int(std::clamp<long long>(Wanted, FMin, FMax));
  bool Rewrite = !FAssociate || FAssociate->text() != QString::number(Next);
  if (Next == FPosition && !Rewrite) return;
  FPosition = Next;
  WritePosition();
  emit PositionChanged(FPosition);
}

void TUpDownControl::paintEvent(QPaintEvent*) {
  QPainter Painter(this);
  const int Half = height() / 2;
  const QRect Halves[2] = {QRect(0, 0, width(), Half), QRect(0, Half, width(), height() - Half)};
  for (int I = 0; I < 2; ++I) {
    QStyleOptionButton Button;
    Button.initFrom(this);
    Button.rect = Halves[I];
    if (FPressed == (I == 0 ? 1 : -1))
      Button.state |= QStyle::State_Sunken;
    else
      Button.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &Button, &Painter, this);
    // A small filled arrow in the middle of each half.
    const QRect R = Halves[I];
    const int W = std::max(3, (R.width() - 6) | 1), H = (W + 1) / 2;
    const int X = R.left() + (R.width() - W) / 2, Y = R.top() + (R.height() - H) / 2;
    QPolygon Triangle;
    if (I == 0)
      Triangle << QPoint(X, Y + H) << QPoint(X + W, Y + H) << QPoint(X + W / 2, Y);
    else
      Triangle << QPoint(X, Y) << QPoint(X + W, Y) << QPoint(X + W / 2, Y + H);
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    Painter.drawPolygon(Triangle);
  }
}

void TUpDownControl::mousePressEvent(QMouseEvent* Event) {
  if (Event->button() != Qt::LeftButton) return;
  FPressed = Event->position().y() < height() / 2 ? 1 : -1;
  update();
  Step(FPressed);
  FRepeat.start(400);
}

void TUpDownControl::mouseReleaseEvent(QMouseEvent*) {
  FPressed = 0;
  FRepeat.stop();
  update();
}

void TUpDownControl::Repeat() {
  if (FPressed == 0) {
    FRepeat.stop();
    return;
  }
  FRepeat.setInterval(60);
  Step(FPressed);
}

bool TUpDownControl::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == FAssociate && Event->type() == QEvent::KeyPress) {
    auto* Key = static_cast<QKeyEvent*>(Event);
    if (Key->modifiers() == Qt::NoModifier || Key->modifiers() == Qt::KeypadModifier) {
      if (Key->key() == Qt::Key_Up) {
        Step(1);
        return true;
      }
      if (Key->key() == Qt::Key_Down) {
        Step(-1);
        return true;
      }
    }
  }
  return QWidget::eventFilter(Watched, Event);
}
