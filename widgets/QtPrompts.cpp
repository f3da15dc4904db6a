#include "widgets/QtPrompts.h"

#include "widgets/FileDialogRules.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <utility>

namespace {

QString FromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

QtPrompts::QtPrompts(QWidget* parentWidget, QString name)
    : parent(parentWidget), programName(std::move(name)) {}

void QtPrompts::Message(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, programName, QString::fromUtf8(text), QMessageBox::Ok,
                    parent);
    box.exec();
}

bool QtPrompts::OpenFile(const FileDialogOptions& options, std::string& path) {
    return RunFileDialog(false, options, path);
}

bool QtPrompts::SaveFile(const FileDialogOptions& options, std::string& path) {
    return RunFileDialog(true, options, path);
}

bool QtPrompts::BrowseFolder(const std::string& title, std::string& folder) {
    QString chosen =
        QFileDialog::getExistingDirectory(parent, QString::fromUtf8(title), FromPath(folder));
    if (chosen.isEmpty())
        return false;
    folder = ToPath(chosen);
    return true;
}

bool QtPrompts::RunFileDialog(bool saving, const FileDialogOptions& options, std::string& path) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    std::string filters = QtNameFilters(options.filter);
    if (!filters.empty())
        dialog.setNameFilter(QString::fromStdString(filters));
    // Qt adds the suffix before it asks about overwriting, so the question is about the
    // file that will really be written.
    dialog.setDefaultSuffix(QString::fromStdString(BareExtension(options.defaultExtension)));
    if (!options.initialFileName.empty())
        dialog.selectFile(FromPath(options.initialFileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = WithDefaultExtension(ToPath(dialog.selectedFiles().front()), options.defaultExtension);
    return true;
}
