#include "app/TwoColumnListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

TTwoColumnListBox::TTwoColumnListBox(QWidget* Parent) : QListWidget(Parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setViewMode(QListView::ListMode);
  setFlow(QListView::TopToBottom);
  setWrapping(true);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  setTextElideMode(Qt::ElideNone);
  UpdateGrid();
}

void TTwoColumnListBox::Clear() { clear(); }

void TTwoColumnListBox::Add(const std::string& Text) {
  auto* Entry = new QListWidgetItem(QString::fromLatin1(Text.data(), qsizetype(Text.size())));
  Entry->setSizeHint(QSize(gridSize().width(), ItemHeight));
  addItem(Entry);
}

std::string TTwoColumnListBox::Item(int Index) const {
  const QListWidgetItem* Entry = item(Index);
  return Entry ? Entry->text().toLatin1().toStdString() : std::string();
}

int TTwoColumnListBox::ItemIndex() const {
  const QListWidgetItem* Current = currentItem();
  return Current && Current->isSelected() ? row(Current) : -1;
}

void TTwoColumnListBox::SetItemIndex(int Index) {
  QSignalBlocker Quiet(this);
  if (Index < 0 || Index >= count()) {
    clearSelection();
    setCurrentItem(nullptr);
  } else {
    setCurrentRow(Index, QItemSelectionModel::ClearAndSelect);
  }
  viewport()->update();
}

void TTwoColumnListBox::UpdateGrid() {
  int Width = viewport()->width() / Columns;
  if (Width < 1) Width = 1;
  setGridSize(QSize(Width, ItemHeight));
  for (int I = 0; I < count(); ++I) item(I)->setSizeHint(QSize(Width, ItemHeight));
}

void TTwoColumnListBox::resizeEvent(QResizeEvent* Event) {
  QListWidget::resizeEvent(Event);
  UpdateGrid();
}

void TTwoColumnListBox::mousePressEvent(QMouseEvent* Event) {
  QListWidget::mousePressEvent(Event);
  if (Event->button() == Qt::LeftButton && itemAt(Event->position().toPoint()) != nullptr) emit Clicked();
}

void TTwoColumnListBox::keyPressEvent(QKeyEvent* Event) {
  int Before = ItemIndex();
  QListWidget::keyPressEvent(Event);
  int After = ItemIndex();
  if (After >= 0 && After != Before) emit Clicked();
}
