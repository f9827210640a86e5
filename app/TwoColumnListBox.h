#pragma once
// A list box that shows its entries in two columns: they run down the first
// column and continue in the second, each column half the box wide, each
// entry ItemHeight pixels high; with more entries than fit, the list scrolls
// sideways. Entry texts are 8-bit characters. Several entries can show as
// selected, but only the program selects: a click or a key tells Clicked
// what the user asked for, and the program answers with SetSelection, so
// that the list never holds a selection of its own.
#include <string>
#include <vector>

#include <QListWidget>

class TTwoColumnListBox : public QListWidget {
  Q_OBJECT
public:
  explicit TTwoColumnListBox(QWidget* Parent = nullptr);

  static constexpr int Columns = 2;
  static constexpr int ItemHeight = 13;

  void Clear();
  void Add(const std::string& Text);
  int Count() const { return count(); }
  std::string Item(int Index) const;
  // The current entry when it is selected, else -1. Setting it selects that
  // entry alone without a click.
  int ItemIndex() const;
  void SetItemIndex(int Index);
  // Rows selected (any order) and the current one (-1: none), without a click.
  void SetSelection(const std::vector<int>& Rows, int Current);
  std::vector<int> SelectedRows() const;  // ascending

signals:
  // The user chose Row, with the mouse or the keyboard: with Ctrl (Toggle:
  // in or out of the selection) or Shift (Extend: a range to it).
  void Clicked(int Row, bool Toggle, bool Extend);
  // Ctrl+A.
  void AllClicked();

protected:
  void resizeEvent(QResizeEvent* Event) override;
  void selectionChanged(const QItemSelection& Selected, const QItemSelection& Deselected) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& Index,
                                                       const QEvent* Event = nullptr) const override;

private:
  void UpdateGrid();
  void UpdateScrollBar();

  bool FSettingIndex = false;  // the program, not the user, changes the selection
};
