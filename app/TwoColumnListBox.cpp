#include "app/TwoColumnListBox.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

TTwoColumnListBox::TTwoColumnListBox(QWidget* Parent) : QListWidget(Parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
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

void TTwoColumnListBox::SetSelection(const std::vector<int>& Rows, int Current) {
  std::vector<int> Wanted;
  for (const int Row : Rows)
    if (Row >= 0 && Row < count()) Wanted.push_back(Row);
  std::sort(Wanted.begin(), Wanted.end());
  Wanted.erase(std::unique(Wanted.begin(), Wanted.end()), Wanted.end());
  if (Current >= count()) Current = -1;
  if (Wanted == SelectedRows() && currentRow() == Current) return;
  QSignalBlocker Quiet(this);
  FSettingIndex = true;
  // Runs of neighbouring rows as one range each: one selection however many.
  QItemSelection Selection;
  for (size_t I = 0; I < Wanted.size();) {
    size_t J = I;
    while (J + 1 < Wanted.size() && Wanted[J + 1] == Wanted[J] + 1) ++J;
    Selection.select(model()->index(Wanted[I], 0), model()->index(Wanted[J], 0));
    I = J + 1;
  }
  selectionModel()->setCurrentIndex(Current < 0 ? QModelIndex() : model()->index(Current, 0),
                                    QItemSelectionModel::NoUpdate);
  selectionModel()->select(Selection, QItemSelectionModel::ClearAndSelect);
  FSettingIndex = false;
  viewport()->update();
}

std::vector<int> TTwoColumnListBox::SelectedRows() const {
  std::vector<int> Rows;
  for (const QModelIndex& Index : selectionModel()->selectedIndexes()) Rows.push_back(Index.row());
  std::sort(Rows.begin(), Rows.end());
  return Rows;
}

QItemSelectionModel::SelectionFlags TTwoColumnListBox::selectionCommand(const QModelIndex&, const QEvent*) const {
  // The user's clicks and keys move the current entry only; what they select
  // is the program's answer to Clicked.
  return QItemSelectionModel::NoUpdate;
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
  const Qt::KeyboardModifiers Keys = Event->modifiers();
  if (Event->button() == Qt::LeftButton)
    emit Clicked(row(Hit), Keys.testFlag(Qt::ControlModifier), Keys.testFlag(Qt::ShiftModifier));
}

void TTwoColumnListBox::mouseMoveEvent(QMouseEvent* Event) {
  // A drag over the entries selects nothing: only clicks choose.
  Event->accept();
}

void TTwoColumnListBox::keyPressEvent(QKeyEvent* Event) {
  if (Event->matches(QKeySequence::SelectAll)) {
    emit AllClicked();
    return;
  }
  const Qt::KeyboardModifiers Keys = Event->modifiers();
  // Ctrl+Space takes the current entry in or out of the selection.
  if (Event->key() == Qt::Key_Space && Keys.testFlag(Qt::ControlModifier)) {
    if (currentRow() >= 0) emit Clicked(currentRow(), true, false);
    return;
  }
  const int Before = currentRow();
  QListWidget::keyPressEvent(Event);
  const int After = currentRow();
  // Ctrl with an arrow moves the current entry alone, as list boxes do.
  if (After >= 0 && After != Before && !(Keys.testFlag(Qt::ControlModifier) && !Keys.testFlag(Qt::ShiftModifier)))
    emit Clicked(After, false, Keys.testFlag(Qt::ShiftModifier));
}
