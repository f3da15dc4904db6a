#include "builder/window/BuilderWindow.h"

#include "builder/BuildPipeline.h"
#include "builder/SlotLabels.h"
#include "builder/SongListText.h"
#include "builder/window/AboutBox.h"
#include "builder/window/ApplicationIcon.h"
#include "common/CodePage.h"
#include "common/FileError.h"
#include "widgets/DialogUnits.h"
#include "widgets/HyperlinkLabel.h"
#include "widgets/ProgressWindow.h"
#include "widgets/QtPrompts.h"

#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>

#include <filesystem>

namespace {

const char* const kProjectFilter = "VELK Project Files (*.velkp)|*.velkp||";
const char* const kHomePage = "https://korvane.example.org/";

// Paths travel in the file-name encoding, titles in the game's code page (Windows-1252).
QString FromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string ToPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString FromTitle(const std::string& title) {
    return QString::fromStdString(CodePage::ToUtf8(title));
}
CodePage::Converted ToTitle(const QString& title) {
    return CodePage::FromUtf8(title.toStdString());
}

// Rows whose typed title the game cannot show as typed.
QColor AlteredTitleBackground() {
    return {255, 236, 179};
}

// Flips a flag for the lifetime of the object.
struct FlagSetter {
    explicit FlagSetter(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagSetter() { flag_ = false; }
    FlagSetter(const FlagSetter&) = delete;
    FlagSetter& operator=(const FlagSetter&) = delete;
    bool& flag_;
};

} // namespace

BuilderWindow::BuilderWindow(std::string workBaseFolder, QWidget* parent)
    : QDialog(parent), workBaseFolder_(std::move(workBaseFolder)),
      ownPrompts_(std::make_unique<QtPrompts>(this, QStringLiteral("Korvane"))),
      prompts_(ownPrompts_.get()) {
    progressFactory_ = [](QWidget* owner) { return std::make_unique<ProgressWindow>(owner); };
    setWindowIcon(ApplicationIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    CreateControls();
    CreateMenu();
    PlaceControls();
    ConnectSignals();
    NewProject();
}

BuilderWindow::~BuilderWindow() = default;

void BuilderWindow::SetPrompts(Prompts* prompts) {
    prompts_ = prompts ? prompts : ownPrompts_.get();
    link_->SetPrompts(prompts);
}

void BuilderWindow::SetProgressFactory(ProgressFactory factory) {
    progressFactory_ = std::move(factory);
}

void BuilderWindow::CreateControls() {
    client_ = new QWidget(this);
    list_ = new QTableWidget(SongProject::kSlotCount, 5, client_);
    list_->setHorizontalHeaderLabels({"ID", "Letter", "Title", "Length", "Status"});
    const int widths[] = {30, 50, 200, 100, 100};
    for (int column = 0; column < 5; ++column)
        list_->setColumnWidth(column, widths[column]);
    list_->horizontalHeader()->setSectionsClickable(false);
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setWordWrap(false);
    for (int row = 0; row < SongProject::kSlotCount; ++row) {
        list_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(NumberLabel(row + 1))));
        list_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(LetterLabel(row + 1))));
        for (int column = 2; column < 5; ++column)
            list_->setItem(row, column, new QTableWidgetItem);
    }

    editingBox_ = new QGroupBox(QStringLiteral("Editing"), client_);
    titleLabel_ = new QLabel(QStringLiteral("Title"), client_);
    titleEdit_ = new QLineEdit(client_);
    inGameLabel_ = new QLabel(client_);
    inGameLabel_->hide();
    pathLabel_ = new QLabel(QStringLiteral("File Path"), client_);
    pathEdit_ = new QLineEdit(client_);
    browseButton_ = new QPushButton(QStringLiteral("Browse..."), client_);
    moveUpButton_ = new QPushButton(QStringLiteral("Move Up"), client_);
    moveDownButton_ = new QPushButton(QStringLiteral("Move Down"), client_);
    qualityLabel_ = new QLabel(QStringLiteral("Ogg Quality:"), client_);
    qualityEdit_ = new QLineEdit(client_);
    link_ = new HyperlinkLabel(client_);
    link_->setText(QString::fromLatin1(kHomePage));
    link_->setFocusPolicy(Qt::NoFocus);
    link_->setAlignment(Qt::AlignRight | Qt::AlignVCenter); // grows leftwards, stays inside
    for (QPushButton* button : {browseButton_, moveUpButton_, moveDownButton_})
        button->setAutoDefault(false); // Enter belongs to the window, not to a button

    setTabOrder(list_, pathEdit_);
    setTabOrder(pathEdit_, browseButton_);
    setTabOrder(browseButton_, titleEdit_);
    setTabOrder(titleEdit_, moveUpButton_);
    setTabOrder(moveUpButton_, moveDownButton_);
    setTabOrder(moveDownButton_, qualityEdit_);
}

void BuilderWindow::CreateMenu() {
    menuBar_ = new QMenuBar(this);
    QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
    auto add = [this, file](const char* text, void (BuilderWindow::*command)()) {
        QAction* action = file->addAction(QString::fromLatin1(text));
        connect(action, &QAction::triggered, this,
                [this, command] { RunCommand([this, command] { (this->*command)(); }); });
    };
    add("New Project", &BuilderWindow::NewProject);
    file->addSeparator();
    add("Open Project...", &BuilderWindow::OpenProject);
    add("Save Project", &BuilderWindow::SaveProject);
    add("Save Project As...", &BuilderWindow::SaveProjectAs);
    file->addSeparator();
    add("Copy List To Clipboard", &BuilderWindow::CopyListToClipboard);
    file->addSeparator();
    add("Build VELK...", &BuilderWindow::Build);
    file->addSeparator();
    connect(file->addAction(QStringLiteral("Exit")), &QAction::triggered, this, &QDialog::reject);
    // Linux window managers offer no system menu to extend; the About item lives here.
    QMenu* help = menuBar_->addMenu(QStringLiteral("&Help"));
    connect(help->addAction(QStringLiteral("&About Korvane...")), &QAction::triggered, this,
            &BuilderWindow::ShowAbout);
}

void BuilderWindow::PlaceControls() {
    auto place = [this](QWidget* widget, int x, int y, int width, int height) {
        widget->setGeometry(DialogUnitsToPixels(*this, x, y, width, height));
    };
    place(list_, 5, 5, 336, 155);
    place(editingBox_, 5, 165, 335, 50);
    place(titleLabel_, 15, 180, 14, 8);
    place(titleEdit_, 50, 175, 140, 15);
    place(inGameLabel_, 194, 178, 92, 8);
    place(pathLabel_, 15, 195, 28, 8);
    place(pathEdit_, 50, 195, 140, 15);
    place(browseButton_, 192, 195, 34, 14);
    place(moveUpButton_, 290, 175, 44, 14);
    place(moveDownButton_, 290, 196, 44, 14);
    place(qualityLabel_, 5, 220, 40, 8);
    place(qualityEdit_, 45, 220, 25, 12);
    place(link_, 260, 220, 80, 8);
    link_->Attach();
    for (QLabel* label : {titleLabel_, pathLabel_, qualityLabel_})
        label->setMinimumWidth(label->sizeHint().width()); // fonts differ from the design's

    const QRect client = DialogUnitsToPixels(*this, 0, 0, 347, 234);
    const int menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, client.width(), menuHeight);
    client_->setGeometry(0, menuHeight, client.width(), client.height());
    setFixedSize(client.width(), menuHeight + client.height());
}

void BuilderWindow::ConnectSignals() {
    connect(list_, &QTableWidget::itemSelectionChanged, this, &BuilderWindow::ReadSelection);
    connect(titleEdit_, &QLineEdit::textChanged, this, &BuilderWindow::OnTitleChanged);
    connect(pathEdit_, &QLineEdit::textChanged, this, &BuilderWindow::OnPathChanged);
    connect(qualityEdit_, &QLineEdit::textChanged, this, &BuilderWindow::OnQualityChanged);
    connect(browseButton_, &QPushButton::clicked, this, &BuilderWindow::Browse);
    connect(moveUpButton_, &QPushButton::clicked, this, &BuilderWindow::MoveUp);
    connect(moveDownButton_, &QPushButton::clicked, this, &BuilderWindow::MoveDown);
}

void BuilderWindow::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const FileError& error) {
        prompts_->Message(error.what());
    }
}

void BuilderWindow::NewProject() {
    project_.Reset();
    alteredTitles_.clear();
    RefreshList();
    setWindowTitle(QStringLiteral("Korvane - New Project"));
    ShowQuality();
    ReadSelection();
}

void BuilderWindow::OpenProject() {
    std::string chosen;
    if (prompts_->OpenFile({kProjectFilter, "velkp", "*.velkp"}, chosen)) {
        OpenProjectFile(chosen);
        return;
    }
    RefreshList();
    ReadSelection();
    ShowQuality();
}

void BuilderWindow::OpenProjectFile(const std::string& path) {
    try {
        if (!project_.Load(path))
            prompts_->Message("Error reading project file.");
    } catch (const FileError& error) {
        // A file cut short: the command stops here and the window shows the old state.
        prompts_->Message(error.what());
        return;
    }
    alteredTitles_.clear(); // the file holds the game's bytes: nothing was typed
    SetTitleFromFile(path);
    RefreshList();
    ReadSelection();
    ShowQuality();
}

void BuilderWindow::SaveProject() {
    if (project_.path().empty()) {
        SaveProjectAs();
        return;
    }
    if (!project_.Save())
        prompts_->Message("Error saving project...");
}

void BuilderWindow::SaveProjectAs() {
    std::string chosen;
    if (!prompts_->SaveFile({kProjectFilter, "velkp", "newproject.velkp"}, chosen))
        return;
    project_.SetPath(chosen);
    SetTitleFromFile(chosen);
    if (!project_.Save()) {
        project_.SetPath("");
        prompts_->Message("Error saving project...");
    }
}

void BuilderWindow::SetTitleFromFile(const std::string& path) {
    const std::string name = std::filesystem::path(path).stem().string();
    setWindowTitle(QStringLiteral("Korvane - %1").arg(FromPath(name)));
}

void BuilderWindow::CopyListToClipboard() {
    const QString text = QString::fromStdString(SongListText(project_));
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard)
        clipboard->setText(text);
    if (!clipboard || clipboard->text() != text)
        prompts_->Message("Unable to put on clipboard for some reason.");
}

void BuilderWindow::Build() {
    if (!project_.AllValid()) {
        prompts_->Message("One or more items are not valid. Unable to build.");
        return;
    }
    std::unique_ptr<Progress> progress = progressFactory_(this);
    BuildPipeline pipeline(*prompts_, *progress, workBaseFolder_);
    pipeline.BuildMusicPack(project_);
}

void BuilderWindow::Browse() {
    SongSlot* slot = SelectedSlot();
    if (!slot)
        return;
    std::string chosen;
    if (!prompts_->OpenFile({"Wav Files (*.wav)|*.wav||", "wav", "*.wav"}, chosen))
        return;
    slot->SetStoredPath(chosen);
    {
        FlagSetter suppress(suppressFieldChanges_);
        pathEdit_->setText(FromPath(chosen));
    }
    slot->Probe();
    RefreshList();
}

void BuilderWindow::MoveUp() {
    SongSlot* slot = SelectedSlot();
    if (slot && project_.MoveUp(*slot)) {
        RefreshList();
        SelectSlot(*slot);
    }
}

void BuilderWindow::MoveDown() {
    SongSlot* slot = SelectedSlot();
    if (slot && project_.MoveDown(*slot)) {
        RefreshList();
        SelectSlot(*slot);
    }
}

void BuilderWindow::ShowAbout() {
    AboutBox box(this);
    box.exec();
}

void BuilderWindow::RefreshList() {
    for (int position = 1; position <= SongProject::kSlotCount; ++position) {
        SongSlot& slot = project_.SlotAt(position);
        const int row = position - 1;
        list_->item(row, 2)->setText(FromTitle(slot.title()));
        list_->item(row, 3)->setText(
            slot.valid() ? QString::fromStdString(LengthText(slot.length())) : QStringLiteral("0"));
        list_->item(row, 4)->setText(slot.valid() ? QStringLiteral("Ok")
                                                  : QString::fromStdString(slot.status()));
        MarkRow(row, alteredTitles_.count(&slot) != 0);
        rowSlots_[static_cast<std::size_t>(row)] = &slot;
    }
}

void BuilderWindow::MarkRow(int row, bool altered) {
    for (int column = 0; column < list_->columnCount(); ++column) {
        QTableWidgetItem* item = list_->item(row, column);
        item->setData(Qt::BackgroundRole,
                      altered ? QVariant(AlteredTitleBackground()) : QVariant());
        item->setToolTip(
            altered ? QStringLiteral("The game cannot show every character typed for this title.")
                    : QString());
    }
}

void BuilderWindow::ShowInGameTitle() {
    const SongSlot* slot = SelectedSlot();
    const QString inGame = slot ? FromTitle(slot->title()) : QString();
    if (!slot || inGame == titleEdit_->text()) {
        inGameLabel_->hide();
        return;
    }
    const QString text = QStringLiteral("In game: %1").arg(inGame);
    inGameLabel_->setToolTip(text);
    inGameLabel_->setText(
        inGameLabel_->fontMetrics().elidedText(text, Qt::ElideRight, inGameLabel_->width()));
    inGameLabel_->show();
}

SongSlot* BuilderWindow::SelectedSlot() const {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return nullptr;
    int first = rows.front().row();
    for (const QModelIndex& index : rows)
        first = std::min(first, index.row());
    return rowSlots_[static_cast<std::size_t>(first)];
}

void BuilderWindow::SelectSlot(const SongSlot& slot) {
    const int row = project_.PositionOf(slot) - 1;
    list_->clearSelection();
    list_->setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void BuilderWindow::ReadSelection() {
    const SongSlot* slot = SelectedSlot();
    for (QWidget* control : std::initializer_list<QWidget*>{titleEdit_, pathEdit_, browseButton_,
                                                            moveUpButton_, moveDownButton_})
        control->setEnabled(slot != nullptr);
    if (slot)
        FillFields(FromTitle(slot->title()), FromPath(slot->path()));
    else
        FillFields({}, {});
    ShowInGameTitle();
}

void BuilderWindow::FillFields(const QString& title, const QString& path) {
    FlagSetter writing(writingControls_);
    titleBuffer_ = title;
    pathBuffer_ = path;
    titleEdit_->setText(title);
    pathEdit_->setText(path);
}

void BuilderWindow::ShowQuality() {
    FlagSetter writing(writingControls_);
    qualityBuffer_ = project_.quality();
    qualityEdit_->setText(QString::number(qualityBuffer_));
}

bool BuilderWindow::ReadFieldsBack() {
    titleBuffer_ = titleEdit_->text();
    pathBuffer_ = pathEdit_->text();
    bool whole = false;
    const int quality = qualityEdit_->text().trimmed().toInt(&whole);
    const char* complaint = nullptr;
    if (!whole)
        complaint = "Please enter an integer for the Ogg quality.";
    else if (quality < 1 || quality > 10)
        complaint = "Please enter an Ogg quality between 1 and 10.";
    if (complaint) {
        prompts_->Message(complaint);
        qualityEdit_->setFocus();
        qualityEdit_->selectAll();
        return false;
    }
    qualityBuffer_ = quality;
    return true;
}

void BuilderWindow::OnTitleChanged() {
    if (writingControls_ || suppressFieldChanges_)
        return;
    ReadFieldsBack();
    if (SongSlot* slot = SelectedSlot()) {
        CodePage::Converted title = ToTitle(titleBuffer_);
        if (title.changed)
            alteredTitles_.insert(slot);
        else
            alteredTitles_.erase(slot);
        slot->SetTitle(std::move(title.bytes));
        RefreshList();
    }
    ShowInGameTitle();
}

void BuilderWindow::OnPathChanged() {
    if (writingControls_ || suppressFieldChanges_)
        return;
    ReadFieldsBack();
    if (SongSlot* slot = SelectedSlot()) {
        slot->SetPath(ToPath(pathBuffer_));
        RefreshList();
    }
}

void BuilderWindow::OnQualityChanged() {
    if (writingControls_)
        return;
    if (ReadFieldsBack())
        project_.SetQuality(qualityBuffer_);
}

void BuilderWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ReadFieldsBack())
            accept();
        return;
    case Qt::Key_Escape:
        reject();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
