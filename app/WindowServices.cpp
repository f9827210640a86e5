#include "app/WindowServices.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "runtime/FileLayer.h"

namespace {

std::vector<std::string> SplitBars(const std::string& Text) {
  std::vector<std::string> Parts;
  std::string::size_type Start = 0;
  for (;;) {
    auto Bar = Text.find('|', Start);
    Parts.push_back(Text.substr(Start, Bar == std::string::npos ? std::string::npos : Bar - Start));
    if (Bar == std::string::npos) break;
    Start = Bar + 1;
  }
  return Parts;
}

QString Latin1(const std::string& Bytes) { return QString::fromLatin1(Bytes.data(), qsizetype(Bytes.size())); }

}  // namespace

std::vector<std::string> QtNameFilters(const std::string& Filter) {
  std::vector<std::string> Filters;
  if (Filter.empty()) return Filters;
  auto Parts = SplitBars(Filter);
  for (size_t I = 0; I + 1 < Parts.size(); I += 2) {
    std::string Patterns = Parts[I + 1];
    for (char& C : Patterns)
      if (C == ';') C = ' ';
    const std::string Suffix = "(" + Patterns + ")";
    const std::string& Description = Parts[I];
    bool Named = Description.size() >= Suffix.size() &&
                 Description.compare(Description.size() - Suffix.size(), Suffix.size(), Suffix) == 0;
    Filters.push_back(Named ? Description : Description + " " + Suffix);
  }
  return Filters;
}

std::string FilterExtension(const std::string& NameFilter) {
  const auto Star = NameFilter.find("*.");
  if (Star == std::string::npos) return {};
  std::string Ext;
  for (size_t I = Star + 2; I < NameFilter.size(); ++I) {
    const char C = NameFilter[I];
    if (C == ' ' || C == ')' || C == ';') break;
    if (C == '*' || C == '?') return {};
    Ext += C;
  }
  return Ext;
}

namespace {

// The dialog's name filters from "Description|pattern" pairs, and the
// extension a typed name without one gets.
void SetFilterAndSuffix(QFileDialog& Dialog, const std::string& Filter, const std::string& DefaultExt) {
  QStringList Filters;
  for (const auto& F : QtNameFilters(Filter)) Filters << QString::fromStdString(F);
  Dialog.setNameFilters(Filters);
  QString Ext = QString::fromStdString(DefaultExt);
  if (Ext.startsWith('.')) Ext.remove(0, 1);
  Dialog.setDefaultSuffix(Ext);
  // The type chosen decides the extension of a name typed without one.
  QObject::connect(&Dialog, &QFileDialog::filterSelected, &Dialog, [&Dialog, Ext](const QString& Chosen) {
    const std::string FromFilter = FilterExtension(Chosen.toStdString());
    Dialog.setDefaultSuffix(FromFilter.empty() ? Ext : QString::fromStdString(FromFilter));
  });
}

void StartIn(QFileDialog& Dialog, const std::string& Folder) {
  if (!Folder.empty()) Dialog.setDirectory(QString::fromStdString(Folder));
}

}  // namespace

std::optional<std::string> TQtWindowServices::OpenFile(QWidget* Parent, const TOpenDialogOptions& Options) {
  QFileDialog Dialog(Parent);
  Dialog.setAcceptMode(QFileDialog::AcceptOpen);
  Dialog.setFileMode(Options.FileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  SetFilterAndSuffix(Dialog, Options.Filter, Options.DefaultExt);
  StartIn(Dialog, Options.InitialFolder);
  // Qt's dialog has no "open read-only" box to hide; sizing is its default.
  Dialog.setSizeGripEnabled(Options.EnableSizing);
  for (;;) {
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return std::nullopt;
    QString Chosen = Dialog.selectedFiles().first();
    QFileInfo Info(Chosen);
    if (Options.PathMustExist && !Info.dir().exists()) continue;
    if (Options.NoReadOnlyReturn && Info.exists() && !Info.isWritable()) {
      QMessageBox::warning(&Dialog, Dialog.windowTitle(),
                           Info.fileName() + "\nThis file is set to read-only.\nTry again with a different file name.");
      continue;
    }
    return Info.absoluteFilePath().toStdString();
  }
}

std::optional<std::string> TQtWindowServices::SaveFile(QWidget* Parent, const TSaveDialogOptions& Options) {
  QFileDialog Dialog(Parent);
  Dialog.setAcceptMode(QFileDialog::AcceptSave);
  Dialog.setFileMode(QFileDialog::AnyFile);
  SetFilterAndSuffix(Dialog, Options.Filter, Options.DefaultExt);
  StartIn(Dialog, Options.InitialFolder);
  if (!Options.OverwritePrompt) Dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFileInfo(Dialog.selectedFiles().first()).absoluteFilePath().toStdString();
}

std::optional<std::string> TQtWindowServices::ChooseFolder(QWidget* Parent, const std::string& Caption,
                                                           const std::string& InitialFolder) {
  const QString Chosen =
      QFileDialog::getExistingDirectory(Parent, QString::fromStdString(Caption), QString::fromStdString(InitialFolder));
  if (Chosen.isEmpty()) return std::nullopt;
  return QFileInfo(Chosen).absoluteFilePath().toStdString();
}

std::string TQtWindowServices::InputBox(QWidget* Parent, const std::string& Caption, const std::string& Prompt,
                                        const std::string& DefaultText) {
  bool Ok = false;
  QString Answer = QInputDialog::getText(Parent, QString::fromStdString(Caption), QString::fromStdString(Prompt),
                                         QLineEdit::Normal, QString::fromStdString(DefaultText), &Ok);
  return Ok ? Answer.toStdString() : DefaultText;
}

std::optional<std::vector<std::string>> TQtWindowServices::InputTexts(QWidget* Parent, const std::string& Caption,
                                                                      const std::vector<TInputField>& Fields) {
  QDialog Box(Parent);
  Box.setWindowTitle(QString::fromStdString(Caption));
  auto* Layout = new QFormLayout(&Box);
  std::vector<QLineEdit*> Edits;
  for (const TInputField& Field : Fields) {
    Edits.push_back(new QLineEdit(QString::fromStdString(Field.DefaultText), &Box));
    Layout->addRow(QString::fromStdString(Field.Label), Edits.back());
  }
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &Box);
  QObject::connect(Buttons, &QDialogButtonBox::accepted, &Box, &QDialog::accept);
  QObject::connect(Buttons, &QDialogButtonBox::rejected, &Box, &QDialog::reject);
  Layout->addRow(Buttons);
  if (Box.exec() != QDialog::Accepted) return std::nullopt;
  std::vector<std::string> Texts;
  for (const QLineEdit* Edit : Edits) Texts.push_back(Edit->text().toStdString());
  return Texts;
}

namespace {

void ShowBox(QMessageBox::Icon Icon, QWidget* Parent, const std::string& Text) {
  QMessageBox Box(Icon, QString::fromLatin1(ProgramTitle), QString::fromStdString(Text), QMessageBox::Ok, Parent);
  Box.setTextFormat(Qt::PlainText);
  Box.exec();
}

}  // namespace

void TQtWindowServices::ShowMessage(QWidget* Parent, const std::string& Text) {
  ShowBox(QMessageBox::Critical, Parent, Text);
}

void TQtWindowServices::ShowInformation(QWidget* Parent, const std::string& Text) {
  ShowBox(QMessageBox::Information, Parent, Text);
}

int TQtWindowServices::Ask(QWidget* Parent, const std::string& Caption, const std::string& Text,
                           const std::vector<std::string>& Buttons) {
  QMessageBox Box(QMessageBox::Question, Latin1(Caption), Latin1(Text), QMessageBox::NoButton, Parent);
  std::vector<QPushButton*> Added;
  for (size_t I = 0; I < Buttons.size(); ++I)
    Added.push_back(
        Box.addButton(Latin1(Buttons[I]), I + 1 == Buttons.size() ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
  if (!Added.empty()) {
    Box.setDefaultButton(Added.front());
    Box.setEscapeButton(Added.back());
  }
  Box.exec();
  for (size_t I = 0; I < Added.size(); ++I)
    if (Box.clickedButton() == Added[I]) return int(I);
  return int(Buttons.size()) - 1;
}

void TQtWindowServices::SetClipboardText(const std::string& Text) {
  QApplication::clipboard()->setText(Latin1(Text), QClipboard::Clipboard);
}

bool TQtWindowServices::FileExists(const std::string& FileName) { return ::NameExists(FileName); }
