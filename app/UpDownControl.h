#pragma once
// An up/down arrow pair bound to an edit box: a position between Min and Max
// that the arrows step by Increment, without wrapping, written into the box
// as plain decimal digits whenever it changes (which fires the box's change
// event). The up and down arrow keys step it while the box has the focus.
// Before a step the control takes the box's present number, when it holds
// one, as its position (clamped to Min..Max), so typed values are stepped
// from.
#include <QTimer>
#include <QWidget>

class TKeyPressEdit;

class TUpDownControl : public QWidget {
  Q_OBJECT
public:
  explicit TUpDownControl(QWidget* Parent = nullptr);

  void SetRange(int Min, int Max);
  void SetIncrement(int Increment) { FIncrement = Increment; }
  // Binds the box; the arrow keys typed into it reach the control.
  void SetAssociate(TKeyPressEdit* Edit);
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  int Increment() const { return FIncrement; }
  bool Wrap() const { return false; }
  TKeyPressEdit* Associate() const { return FAssociate; }

  int Position() const { return FPosition; }
  // Moves to Value (clamped) and writes it into the box.
  void SetPosition(int Value);
  // Writes the present position into the box, as the control does when it
  // is first set up.
  void WritePosition();
  // One step up (Steps > 0) or down (Steps < 0), |Steps| increments at once.
  void Step(int Steps);

signals:
  void PositionChanged(int Position);

protected:
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void Repeat();

  int FMin = 0, FMax = 100, FIncrement = 1, FPosition = 0;
  TKeyPressEdit* FAssociate = nullptr;
  int FPressed = 0;  // +1 upper arrow held, -1 lower, 0 none
  QTimer FRepeat;
};
