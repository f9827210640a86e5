#pragma once
// A single-selection list box that shows its entries in two columns: they run
// down the first column and continue in the second, each column half the box
// wide, each entry ItemHeight pixels high; with more entries than fit, the
// list scrolls sideways. Entry texts are 8-bit characters.
#include <string>

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
  // -1 when nothing is selected. Setting it selects without a click.
  int ItemIndex() const;
  void SetItemIndex(int Index);

signals:
  // The user selected an entry, with the mouse or the keyboard.
  void Clicked();

protected:
  void resizeEvent(QResizeEvent* Event) override;
  void selectionChanged(const QItemSelection& Selected, const QItemSelection& Deselected) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;

private:
  void UpdateGrid();
  void UpdateScrollBar();

  bool FSettingIndex = false;  // the program, not the user, changes the selection
};
