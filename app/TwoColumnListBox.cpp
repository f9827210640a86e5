#include "app/TwoColumnListBox.h"

#include <algorithm>

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
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  setTextElideMode(Qt::ElideNone);
  // The sunken two-pixel edge of a desktop list box: the 81-pixel box holds
  // five whole 13-pixel rows, with no partial row below them.
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  UpdateGrid();
}

void TTwoColumnListBox::Clear() {
  FSettingIndex = true;
  clear();
  FSettingIndex = false;
  UpdateScrollBar();
}

void TTwoColumnListBox::Add(const std::string& Text) {
  auto* Entry = new QListWidgetItem(QString::fromLatin1(Text.data(), qsizetype(Text.size())));
  Entry->setSizeHint(QSize(gridSize().width(), ItemHeight));
  addItem(Entry);
  UpdateScrollBar();
}

void TTwoColumnListBox::UpdateScrollBar() {
  // Qt lays out a downward-flowing list as if a sideways scroll bar "as
  // needed" were always there, which costs the box a row or two at the
  // bottom. The bar is shown only when the entries need more columns than
  // the box shows, and the rows are counted for the height actually left.
  const int Rows = std::max(1, contentsRect().height() / ItemHeight);
  const bool Needed = count() > Rows * Columns;
  const Qt::ScrollBarPolicy Policy = Needed ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
  if (horizontalScrollBarPolicy() != Policy) setHorizontalScrollBarPolicy(Policy);
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
  FSettingIndex = true;
  if (Index < 0 || Index >= count()) {
    clearSelection();
    setCurrentItem(nullptr);
  } else {
    setCurrentRow(Index, QItemSelectionModel::ClearAndSelect);
  }
  FSettingIndex = false;
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
  UpdateScrollBar();
  UpdateGrid();
}

void TTwoColumnListBox::selectionChanged(const QItemSelection& Selected, const QItemSelection& Deselected) {
  QListWidget::selectionChanged(Selected, Deselected);
  // Only another entry ends a selection: whatever the user does with the
  // mouse or keyboard (a Ctrl+click or Ctrl+Space on the selected entry
  // included), an entry that loses its selection to nothing gets it back.
  if (FSettingIndex || !selectedItems().isEmpty() || Deselected.isEmpty()) return;
  const int Row = Deselected.indexes().first().row();
  if (Row < 0 || Row >= count()) return;
  QSignalBlocker Quiet(this);
  setCurrentRow(Row, QItemSelectionModel::ClearAndSelect);
}

void TTwoColumnListBox::mousePressEvent(QMouseEvent* Event) {
  // A click that picks no entry keeps the selection: the grid and the
  // marker go on showing the selected hardpoint, and edits must still reach it.
  QListWidgetItem* Hit = itemAt(Event->position().toPoint());
  if (Hit == nullptr) {
    setFocus(Qt::MouseFocusReason);
    Event->accept();
    return;
  }
  QListWidget::mousePressEvent(Event);
  if (Event->button() == Qt::LeftButton) emit Clicked();
}

void TTwoColumnListBox::mouseMoveEvent(QMouseEvent* Event) {
  // Dragging past the entries would select nothing; the selection follows
  // the pointer only onto an entry.
  if (itemAt(Event->position().toPoint()) == nullptr) {
    Event->accept();
    return;
  }
  QListWidget::mouseMoveEvent(Event);
}

void TTwoColumnListBox::keyPressEvent(QKeyEvent* Event) {
  int Before = ItemIndex();
  QListWidget::keyPressEvent(Event);
  int After = ItemIndex();
  if (After >= 0 && After != Before) emit Clicked();
}
