#include "widgets/QtPrompts.h"

#include "widgets/FileDialogRules.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace {

QString FromPath(const std::string& path) {
    return QString::fromStdString(path);
}

// Qt's dialogs answer with "/"; the system's own separator is what its user reads in
// the fields and messages.
std::string ToPath(const QString& path) {
    return QDir::toNativeSeparators(path).toStdString();
}

} // namespace

QtPrompts::QtPrompts(QWidget* parentWidget, QString name)
    : parent(parentWidget), programName(std::move(name)) {}

void QtPrompts::Message(const std::string& text) {
    ShowMessage(QMessageBox::Warning, text);
}

void QtPrompts::Inform(const std::string& text) {
    ShowMessage(QMessageBox::Information, text);
}

void QtPrompts::MessageWithDetails(const std::string& text, const std::string& details) {
    ShowMessage(QMessageBox::Warning, text, details);
}

void QtPrompts::ShowMessage(int icon, const std::string& text, const std::string& details) {
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), programName, QString::fromUtf8(text),
                    QMessageBox::Ok, parent);
    if (!details.empty())
        box.setDetailedText(QString::fromUtf8(details));
    box.exec();
}

bool QtPrompts::InformWithOffer(const std::string& text, const std::string& offer) {
    QMessageBox box(QMessageBox::Information, programName, QString::fromUtf8(text), QMessageBox::Ok,
                    parent);
    QPushButton* action = box.addButton(QString::fromUtf8(offer), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == action;
}

Prompts::SaveChoice QtPrompts::AskToSave(const std::string& question) {
    QMessageBox box(QMessageBox::Warning, programName, QString::fromUtf8(question),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    // Access keys, so that the answer is one key away (Alt+S, Alt+D, Alt+C).
    box.button(QMessageBox::Save)->setText(QStringLiteral("&Save"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("&Discard"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("&Cancel"));
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

Prompts::Answer QtPrompts::Ask(const std::string& question, Buttons buttons) {
    const QMessageBox::StandardButtons shown =
        buttons == Buttons::RetryCancel ? QMessageBox::Retry | QMessageBox::Cancel
        : buttons == Buttons::YesNo     ? QMessageBox::Yes | QMessageBox::No
                                        : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, programName, QString::fromUtf8(question), shown, parent);
    box.setDefaultButton(buttons == Buttons::RetryCancel ? QMessageBox::Retry : QMessageBox::Yes);
    box.setEscapeButton(buttons == Buttons::YesNo ? QMessageBox::No : QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Retry:
        return Answer::Retry;
    default:
        return Answer::Cancel;
    }
}

bool QtPrompts::OpenFile(const FileDialogOptions& options, std::string& path) {
    const std::vector<std::string> chosen = RunFileDialog(Mode::Open, options);
    if (chosen.empty())
        return false;
    path = chosen.front();
    return true;
}

bool QtPrompts::OpenFiles(const FileDialogOptions& options, std::vector<std::string>& paths) {
    std::vector<std::string> chosen = RunFileDialog(Mode::OpenMany, options);
    if (chosen.empty())
        return false;
    paths = std::move(chosen);
    return true;
}

bool QtPrompts::SaveFile(const FileDialogOptions& options, std::string& path) {
    const std::vector<std::string> chosen = RunFileDialog(Mode::Save, options);
    if (chosen.empty())
        return false;
    path = chosen.front();
    return true;
}

bool QtPrompts::BrowseFolder(const std::string& title, std::string& folder) {
    QString chosen =
        QFileDialog::getExistingDirectory(parent, QString::fromUtf8(title), FromPath(folder));
    if (chosen.isEmpty())
        return false;
    folder = ToPath(chosen);
    return true;
}

std::vector<std::string> QtPrompts::RunFileDialog(Mode mode, const FileDialogOptions& options) {
    QFileDialog dialog(parent);
    const bool saving = mode == Mode::Save;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving               ? QFileDialog::AnyFile
                       : mode == Mode::Open ? QFileDialog::ExistingFile
                                            : QFileDialog::ExistingFiles);
    std::string filters = QtNameFilters(options.filter);
    if (!filters.empty())
        dialog.setNameFilter(QString::fromStdString(filters));
    // Qt adds the suffix before it asks about overwriting, so the question is about the
    // file that will really be written.
    dialog.setDefaultSuffix(QString::fromStdString(BareExtension(options.defaultExtension)));
    if (!options.initialFolder.empty())
        dialog.setDirectory(FromPath(options.initialFolder));
    if (!options.title.empty())
        dialog.setWindowTitle(QString::fromStdString(options.title));
    if (!options.initialFileName.empty())
        dialog.selectFile(FromPath(options.initialFileName));
    std::vector<std::string> chosen;
    if (dialog.exec() != QDialog::Accepted)
        return chosen;
    for (const QString& file : dialog.selectedFiles())
        chosen.push_back(WithDefaultExtension(ToPath(file), options.defaultExtension));
    return chosen;
}
