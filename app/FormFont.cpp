#include "app/FormFont.h"

#include <QFontDatabase>
#include <QStringList>

QFont FormFont() {
  // In order of likeness: the face itself, its TrueType successor, faces
  // with the same metrics, then narrow sans-serif faces that keep the
  // captions inside their buttons.
  static const char* const Faces[] = {"MS Sans Serif", "Microsoft Sans Serif",  "Arial",      "Liberation Sans",
                                      "Helvetica",     "DejaVu Sans Condensed", "DejaVu Sans"};
  const QStringList Installed = QFontDatabase::families();
  for (const char* Face : Faces) {
    if (Installed.contains(QString::fromLatin1(Face), Qt::CaseInsensitive)) {
      QFont Font(QString::fromLatin1(Face));
      Font.setPointSize(8);
      Font.setStyleHint(QFont::SansSerif);
      return Font;
    }
  }
  QFont Font;
  Font.setStyleHint(QFont::SansSerif);
  Font.setFamily(Font.defaultFamily());
  Font.setPointSize(8);
  return Font;
}
