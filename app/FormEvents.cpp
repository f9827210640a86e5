// Qt's events on the window and its drawing, turned into the window's
// handlers and the drawing's tools.
#include <cmath>

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWheelEvent>

#include "app/Unit1.h"
#include "gl/qt/QtGLView.h"
#include "interchange/MeshImport.h"
#include "runtime/NumberFormat.h"

namespace {

QString Text(const std::string& Utf8) { return QString::fromStdString(Utf8); }

}  // namespace

// ---- the mouse: the drawing's tools ----

void TForm1::FormMouseDown(Qt::MouseButton Button, int X, int Y) {
  Tools.SetDrawingSize(GLView->width(), GLView->height());
  Tools.Press({X, Y, FSnapHeld, FExtendHeld}, Button == Qt::LeftButton);
}

void TForm1::FormMouseMove(int X, int Y) {
  const qreal Ratio = GLView->devicePixelRatioF();
  View.Pointer = std::array<int, 2>{int(std::floor(X * Ratio)), int(std::floor(Y * Ratio))};
  if (!Tools.Dragging()) {
    PointerMoved();
    return;
  }
  Tools.Move({X, Y, FSnapHeld, FExtendHeld});
  if (Tools.Turning())
    setWindowTitle(
        Text(FormatFixed2(View.Angles[0]) + ", " + FormatFixed2(View.Angles[1]) + ", " + FormatFixed2(View.Angles[2])));
  // The drawing follows the hand at once, not at the next tick.
  Paint();
}

void TForm1::FormMouseLeave() {
  View.Pointer.reset();
  PointerMoved();
}

void TForm1::PointerMoved() {
  // Only the names follow the pointer, and only when it reaches or leaves a
  // marker: any other move repaints nothing.
  if (View.ShowNames && FScene.Changed(SceneState(), GLView->DeviceWidth(), GLView->DeviceHeight())) Paint();
}

void TForm1::FormMouseUp(Qt::MouseButton Button, int X, int Y) {
  Tools.Release({X, Y, FSnapHeld, FExtendHeld}, Button == Qt::LeftButton);
  // The angles stay; the caption names the file again.
  setWindowTitle(Text(FCaption));
}

// ---- Qt's events ----

void TForm1::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  if (!FShownOnce) {
    FShownOnce = true;
    // The up/down control writes its position into the box as it is set up,
    // which gives the zoom.
    Handle([this] { UpDown1->WritePosition(); });
  }
}

void TForm1::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  GLView->setGeometry(0, 0, width(), height());
}

void TForm1::closeEvent(QCloseEvent* Event) {
  // Unsaved work is not closed away without asking; a save that fails keeps
  // the window open with its message.
  bool MayClose = false;
  Handle([&] { MayClose = MayDiscardWork(); });
  if (!MayClose) {
    Event->ignore();
    return;
  }
  if (FContextLive) Handle([this] { FormClose(); });
  Event->accept();
}

std::string TForm1::DroppedModelFile(const QMimeData* Data) {
  if (Data == nullptr || !Data->hasUrls() || Data->urls().size() != 1) return {};
  const QUrl Url = Data->urls().first();
  if (!Url.isLocalFile()) return {};
  const QString Path = Url.toLocalFile();
  // A model file, or another tool's mesh to open as a new model.
  const std::string FileName = Path.toStdString();
  if (!Path.endsWith(".iff", Qt::CaseInsensitive) && !IsMeshFileName(FileName)) return {};
  return FileName;
}

void TForm1::dragEnterEvent(QDragEnterEvent* Event) {
  if (!DroppedModelFile(Event->mimeData()).empty()) Event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* Event) {
  const std::string FileName = DroppedModelFile(Event->mimeData());
  if (FileName.empty()) return;
  Event->acceptProposedAction();
  // As the load command: an existing file only.
  Handle([this, FileName] {
    if (FServices.FileExists(FileName) && MayDiscardWork()) LoadMesh(FileName);
  });
}

bool TForm1::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == GLView) {
    switch (Event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseMove:
      case QEvent::MouseButtonRelease: {
        auto* Mouse = static_cast<QMouseEvent*>(Event);
        const QPoint At = Mouse->position().toPoint();
        const QEvent::Type Type = Event->type();
        FSnapHeld = Mouse->modifiers().testFlag(Qt::ControlModifier);
        FExtendHeld = Mouse->modifiers().testFlag(Qt::ShiftModifier);
        Handle([&] {
          if (Type == QEvent::MouseButtonPress)
            FormMouseDown(Mouse->button(), At.x(), At.y());
          else if (Type == QEvent::MouseMove)
            FormMouseMove(At.x(), At.y());
          else
            FormMouseUp(Mouse->button(), At.x(), At.y());
        });
        return true;
      }
      case QEvent::Leave: Handle([this] { FormMouseLeave(); }); break;
      case QEvent::ContextMenu: {
        auto* Asked = static_cast<QContextMenuEvent*>(Event);
        // From the keyboard the menu opens over the drawing's middle.
        FormContextMenu(Asked->reason() == QContextMenuEvent::Mouse
                            ? Asked->globalPos()
                            : GLView->mapToGlobal(QPoint(GLView->width() / 2, GLView->height() / 2)));
        return true;
      }
      case QEvent::KeyPress: {
        auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->key() == Qt::Key_Escape && Tools.Dragging()) {
          // The drag under way goes back; nothing of it is kept.
          Handle([this] {
            Tools.Cancel();
            setWindowTitle(Text(FCaption));
            Paint();
          });
          return true;
        }
        if (RunDrawingKey(*Key)) return true;
        if (Key->key() == Qt::Key_Menu || (Key->key() == Qt::Key_F10 && Key->modifiers() == Qt::ShiftModifier)) {
          FormContextMenu(GLView->mapToGlobal(QPoint(GLView->width() / 2, GLView->height() / 2)));
          return true;
        }
        break;
      }
      case QEvent::Wheel: {
        // One notch (120) is one step of the up/down control, so box,
        // control and zoom stay in step.
        auto* Wheel = static_cast<QWheelEvent*>(Event);
        FWheelRemainder += Wheel->angleDelta().y();
        const int Notches = FWheelRemainder / 120;
        FWheelRemainder -= Notches * 120;
        if (Notches != 0) Handle([&] { UpDown1->Step(Notches); });
        return true;
      }
      default: break;
    }
  }
  return QWidget::eventFilter(Watched, Event);
}
