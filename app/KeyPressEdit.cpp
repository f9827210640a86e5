#include "app/KeyPressEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

TKeyPressEdit::TKeyPressEdit(QWidget* Parent) : QLineEdit(Parent) {
  connect(this, &QLineEdit::textChanged, this, [this] { emit Changed(); });
}

void TKeyPressEdit::SetTextAndNotify(const QString& Text) {
  if (text() == Text) {
    emit Changed();
    return;
  }
  setText(Text);
}

void TKeyPressEdit::setText(const QString& Text) {
  QLineEdit::setText(Text);
  setCursorPosition(0);
}

char16_t TKeyPressEdit::CharacterOf(const QKeyEvent& Event) {
  switch (Event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return u'\r';
    case Qt::Key_Backspace: return u'\b';
    case Qt::Key_Escape: return 27;
    case Qt::Key_Delete: return 0;
    default: break;
  }
  // Alt combinations are access keys, not typing.
  if (Event.modifiers() & Qt::AltModifier) return 0;
  if ((Event.modifiers() & Qt::ControlModifier) && Event.key() >= Qt::Key_A && Event.key() <= Qt::Key_Z)
    return char16_t(Event.key() - Qt::Key_A + 1);
  const QString Text = Event.text();
  if (Text.size() != 1) return 0;
  const QChar C = Text.at(0);
  if (C.unicode() < 32 || C.unicode() == 127) return 0;
  return C.unicode();
}

void TKeyPressEdit::keyPressEvent(QKeyEvent* Event) {
  char16_t Key = CharacterOf(*Event);
  if (Key != 0 && OnKeyPress) {
    OnKeyPress(Key);
    if (Key == 0) {
      Event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(Event);
}

void TKeyPressEdit::focusOutEvent(QFocusEvent* Event) {
  QLineEdit::focusOutEvent(Event);
  const Qt::FocusReason Reason = Event->reason();
  if (OnExit && Reason != Qt::ActiveWindowFocusReason && Reason != Qt::PopupFocusReason) OnExit();
}
