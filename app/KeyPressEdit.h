#pragma once
// A one-line edit box whose key-press handler sees each typed character
// before the box does and may swallow it by setting it to 0. Character keys
// are what the keyboard types: printable characters, Enter as carriage return
// ('\r'), Backspace ('\b'), Escape (27) and Ctrl+letter as control
// characters; cursor and function keys are not characters and go straight to
// the box.
#include <functional>

#include <QLineEdit>

class TKeyPressEdit : public QLineEdit {
  Q_OBJECT
public:
  explicit TKeyPressEdit(QWidget* Parent = nullptr);

  // Called for every character key; Key = 0 keeps it from the box.
  std::function<void(char16_t& Key)> OnKeyPress;

  // Called when the keyboard leaves the box for another control of the
  // window (a click, Tab, a shortcut, the program's own move); not when a
  // menu, a dialog or another window takes it for a while.
  std::function<void()> OnExit;

  // Sets the text and reports a change even when the text stays the same,
  // as a written text always does.
  void SetTextAndNotify(const QString& Text);

  // A text written by the program shows from its first character, as on
  // every desktop: QLineEdit would leave the cursor at the end and scroll a
  // number wider than its box so that its sign and first digits are hidden.
  // Hides QLineEdit::setText for every caller that holds a TKeyPressEdit.
  void setText(const QString& Text);

  // The character a key event types, or 0 when it types none.
  static char16_t CharacterOf(const QKeyEvent& Event);

signals:
  // Every change of the text, typed or written.
  void Changed();

protected:
  void keyPressEvent(QKeyEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;
};
