#include "builder/window/BuilderWindow.h"
#include "builder/window/ClearScrollBarStyle.h"

#include "builder/BuildPipeline.h"
#include "builder/GameTitle.h"
#include "builder/ProjectLock.h"
#include "builder/ImportSongs.h"
#include "builder/SlotLabels.h"
#include "builder/SongListText.h"
#include "builder/window/AboutBox.h"
#include "builder/window/ApplicationIcon.h"
#include "builder/window/HeldSuccessPrompts.h"
#include "builder/window/SlotList.h"
#include "common/CodePage.h"
#include "common/FileError.h"
#include "import/SongTags.h"
#include "widgets/DialogUnits.h"
#include "widgets/HyperlinkLabel.h"
#include "widgets/ProgressWindow.h"
#include "widgets/QtPrompts.h"

#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QOperatingSystemVersion>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QUrl>

#include <filesystem>

namespace {

using FolderKind = BuilderSettings::FolderKind;
using Anchor = AnchoredPlacement::Anchor;

const char* const kProjectFilter = "VELK Project Files (*.velkp)|*.velkp||";
const char* const kPackFilter = "VELK Files (*.velk)|*.velk||";
// Every kind of file the importer reads, then the mono WAV files the builder takes as they are.
const char* const kSongFilter =
    "Audio Files (*.wav;*.flac;*.mp3;*.ogg;*.oga;*.opus;*.aif;*.aiff;*.aifc;*.m4a;*.mp4;*.aac;"
    "*.wma)|*.wav;*.flac;*.mp3;*.ogg;*.oga;*.opus;*.aif;*.aiff;*.aifc;*.m4a;*.mp4;*.aac;*.wma"
    "|Wav Files (*.wav)|*.wav||";
const char* const kHomePage = "https://korvane.example.org/";

// Paths travel in UTF-8 on every system (Qt's 8-bit file-name encoding on Windows is the
// ANSI code page), titles in the game's code page (Windows-1252).
QString FromPath(const std::string& path) {
    return QString::fromStdString(path);
}
std::string ToPath(const QString& path) {
    return path.toStdString();
}
QString FromTitle(const std::string& title) {
    return QString::fromStdString(CodePage::ToUtf8(title));
}
CodePage::Converted ToTitle(const QString& title) {
    return GameTitle(title.toStdString());
}

bool IsProjectFile(const QString& path) {
    return path.endsWith(QStringLiteral(".velkp"), Qt::CaseInsensitive);
}

// Rows whose typed title the game cannot show as typed.
QColor AlteredTitleBackground() {
    return {255, 236, 179};
}

// The clipboard's text in the system's own line ends, so that it pastes as lines anywhere.
QString WithSystemLineEnds(QString text) {
    const bool windows =
        QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
    return text.replace(QLatin1Char('\r'), windows ? QStringLiteral("\r\n") : QStringLiteral("\n"));
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
    folderOpener_ = [](const QString& folder) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    };
    setWindowIcon(ApplicationIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // The classic dialog font: Windows draws "MS Sans Serif" as Microsoft Sans Serif, Wine has
    // Tahoma, and elsewhere the system's sans serif stands in.
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                      QStringLiteral("MS Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    CreateControls();
    CreateMenu();
    PlaceControls();
    ConnectSignals();
    ResetProject();
}

BuilderWindow::~BuilderWindow() = default;

void BuilderWindow::SetPrompts(Prompts* prompts) {
    prompts_ = prompts ? prompts : ownPrompts_.get();
    link_->SetPrompts(prompts);
}

void BuilderWindow::SetProgressFactory(ProgressFactory factory) {
    progressFactory_ = std::move(factory);
}

void BuilderWindow::SetFolderOpener(FolderOpener opener) {
    folderOpener_ = std::move(opener);
}

QTableWidget* BuilderWindow::list() const {
    return list_;
}

void BuilderWindow::CreateControls() {
    client_ = new QWidget(this);
    list_ = new SlotList(SongProject::kSlotCount, 5, client_);
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
    const int iconSide = list_->fontMetrics().ascent();
    list_->setIconSize({iconSide, iconSide}); // the status mark leaves room for the status text
    for (int row = 0; row < SongProject::kSlotCount; ++row) {
        list_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(NumberLabel(row + 1))));
        list_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(LetterLabel(row + 1))));
        for (int column = 2; column < 5; ++column)
            list_->setItem(row, column, new QTableWidgetItem);
    }
    list_->SetDropPlan([this](int row, int count) { return DropRows(row, count); });
    auto* scrollBarStyle = new ClearScrollBarStyle;
    scrollBarStyle->setParent(this); // outlives the list, which is destroyed with client_
    for (QScrollBar* bar : {list_->verticalScrollBar(), list_->horizontalScrollBar()})
        bar->setStyle(scrollBarStyle);

    editingBox_ = new QGroupBox(QStringLiteral("Editing"), client_);
    titleLabel_ = new QLabel(QStringLiteral("&Title"), client_);
    titleEdit_ = new QLineEdit(client_);
    inGameLabel_ = new QLabel(client_);
    inGameLabel_->hide();
    pathLabel_ = new QLabel(QStringLiteral("File &Path"), client_);
    pathEdit_ = new QLineEdit(client_);
    browseButton_ = new QPushButton(QStringLiteral("&Browse..."), client_);
    moveUpButton_ = new QPushButton(QStringLiteral("Move &Up"), client_);
    moveDownButton_ = new QPushButton(QStringLiteral("Move &Down"), client_);
    qualityLabel_ = new QLabel(QStringLiteral("Ogg &Quality:"), client_);
    qualityEdit_ = new QLineEdit(client_);
    link_ = new HyperlinkLabel(client_);
    link_->setText(QString::fromLatin1(kHomePage));
    link_->setFocusPolicy(Qt::TabFocus);
    link_->setAlignment(Qt::AlignRight | Qt::AlignVCenter); // grows leftwards, stays inside
    for (QPushButton* button : {browseButton_, moveUpButton_, moveDownButton_})
        button->setAutoDefault(false); // Enter belongs to the window, not to a button

    titleLabel_->setBuddy(titleEdit_);
    pathLabel_->setBuddy(pathEdit_);
    qualityLabel_->setBuddy(qualityEdit_);
    // The order of the screen: the list, then the fields top to bottom, left to right.
    setTabOrder(list_, titleEdit_);
    setTabOrder(titleEdit_, pathEdit_);
    setTabOrder(pathEdit_, browseButton_);
    setTabOrder(browseButton_, moveUpButton_);
    setTabOrder(moveUpButton_, moveDownButton_);
    setTabOrder(moveDownButton_, qualityEdit_);
    setTabOrder(qualityEdit_, link_);
}

QAction* BuilderWindow::AddCommand(QMenu* menu, const char* text, const char* keys,
                                   const std::function<void()>& command) {
    QAction* action = menu->addAction(QString::fromLatin1(text));
    if (keys)
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    addAction(action); // the shortcut works whether or not the menu was ever opened
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    return action;
}

void BuilderWindow::CreateMenu() {
    menuBar_ = new QMenuBar(this);
    QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
    AddCommand(file, "&New Project", "Ctrl+N", [this] { NewProject(); });
    file->addSeparator();
    AddCommand(file, "&Open Project...", "Ctrl+O", [this] { OpenProject(); });
    recentMenu_ = file->addMenu(QStringLiteral("&Recent Projects"));
    AddCommand(file, "&Save Project", "Ctrl+S", [this] { SaveProject(); });
    AddCommand(file, "Save Project &As...", "Ctrl+Shift+S", [this] { SaveProjectAs(); });
    file->addSeparator();
    AddCommand(file, "A&dd Songs...", "Ctrl+I", [this] { AddSongs(); });
    matchLoudnessAction_ = file->addAction(QStringLiteral("&Match Loudness"));
    matchLoudnessAction_->setCheckable(true);
    matchLoudnessAction_->setChecked(settings_.MatchLoudness());
    connect(matchLoudnessAction_, &QAction::toggled, this,
            [this](bool on) { settings_.SetMatchLoudness(on); });
    file->addSeparator();
    AddCommand(file, "&Copy List To Clipboard", nullptr, [this] { CopyListToClipboard(); });
    file->addSeparator();
    AddCommand(file, "&Build VELK...", nullptr, [this] { Build(); });
    file->addSeparator();
    AddCommand(file, "E&xit", "Ctrl+Q", [this] { reject(); });
    connect(file, &QMenu::aboutToShow, this, &BuilderWindow::FillRecentMenu);
    FillRecentMenu();
    // Linux window managers offer no system menu to extend; the About item lives here.
    QMenu* help = menuBar_->addMenu(QStringLiteral("&Help"));
    AddCommand(help, "&About Korvane...", "F1", [this] { ShowAbout(); });
}

void BuilderWindow::FillRecentMenu() {
    recentMenu_->clear();
    const QStringList recent = settings_.RecentProjects();
    for (int index = 0; index < recent.size(); ++index) {
        const QString path = recent[index];
        QString label = path;
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action =
            recentMenu_->addAction(QStringLiteral("&%1 %2").arg(index + 1).arg(label));
        connect(action, &QAction::triggered, this,
                [this, path] { RunCommand([this, path] { OpenRecentProject(path); }); });
    }
    recentMenu_->setEnabled(!recent.isEmpty());
}

void BuilderWindow::PlaceControls() {
    const int bottom = Anchor::FollowBottom;
    const int right = Anchor::FollowRight;
    placement_.Add(list_, 5, 5, 336, 155, Anchor::GrowWidth | Anchor::GrowHeight);
    placement_.Add(editingBox_, 5, 165, 335, 50, bottom | Anchor::GrowWidth);
    placement_.Add(titleLabel_, 15, 180, 14, 8, bottom);
    placement_.Add(titleEdit_, 50, 175, 140, 15, bottom);
    placement_.Add(inGameLabel_, 194, 178, 92, 8, bottom);
    placement_.Add(pathLabel_, 15, 195, 28, 8, bottom);
    placement_.Add(pathEdit_, 50, 195, 140, 15, bottom);
    placement_.Add(browseButton_, 192, 195, 34, 14, bottom);
    placement_.Add(moveUpButton_, 290, 175, 44, 14, bottom | right);
    placement_.Add(moveDownButton_, 290, 196, 44, 14, bottom | right);
    placement_.Add(qualityLabel_, 5, 220, 40, 8, bottom);
    placement_.Add(qualityEdit_, 45, 220, 25, 12, bottom);
    placement_.Add(link_, 260, 220, 80, 8, bottom | right);
    placement_.Apply({});
    link_->Attach();
    for (QLabel* label : {titleLabel_, pathLabel_, qualityLabel_})
        label->setMinimumWidth(label->sizeHint().width()); // fonts differ from the design's

    smallestClient_ = DialogUnitsToPixels(*this, 0, 0, 347, 234).size();
    const int menuHeight = menuBar_->sizeHint().height();
    setMinimumSize(smallestClient_.width(), menuHeight + smallestClient_.height());
    resize(DefaultSize());
}

QSize BuilderWindow::DefaultSize() const {
    const QRect listBase = DialogUnitsToPixels(*this, 5, 5, 336, 155);
    const int frame = 2 * list_->frameWidth();
    int rows = 0;
    for (int row = 0; row < list_->rowCount(); ++row)
        rows += list_->rowHeight(row);
    int columns = 0;
    for (int column = 0; column < list_->columnCount(); ++column)
        columns += list_->columnWidth(column);
    const int neededHeight = list_->horizontalHeader()->sizeHint().height() + rows + frame;
    const QSize extra(std::max(0, columns + frame - listBase.width()),
                      std::max(0, neededHeight - listBase.height()));
    return minimumSize() + extra;
}

void BuilderWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, width(), menuHeight);
    client_->setGeometry(0, menuHeight, width(), height() - menuHeight);
    placement_.Apply(client_->size() - smallestClient_);
    link_->FitToText();
}

void BuilderWindow::ConnectSignals() {
    connect(list_, &QTableWidget::itemSelectionChanged, this, &BuilderWindow::ReadSelection);
    connect(list_, &SlotList::FilesDropped, this, [this](const QStringList& paths, int row) {
        RunCommand([this, paths, row] { OnFilesDropped(paths, row); });
    });
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

FileDialogOptions BuilderWindow::DialogOptions(const char* filter, const char* extension,
                                               const std::string& initialName,
                                               FolderKind kind) const {
    return {filter, extension, initialName, ToPath(settings_.LastFolder(kind))};
}

void BuilderWindow::SetModified(bool modified) {
    setWindowModified(modified);
}

bool BuilderWindow::MayDiscardChanges() {
    if (!isWindowModified())
        return true;
    switch (prompts_->AskToSave("Save changes to the project?")) {
    case Prompts::SaveChoice::Save:
        return SaveProject();
    case Prompts::SaveChoice::Discard:
        return true;
    case Prompts::SaveChoice::Cancel:
        break;
    }
    return false;
}

void BuilderWindow::reject() {
    if (MayDiscardChanges())
        QDialog::reject();
}

void BuilderWindow::NewProject() {
    if (MayDiscardChanges())
        ResetProject();
}

void BuilderWindow::ResetProject() {
    project_.Reset();
    typedTitles_.clear();
    verbatimTitles_.clear();
    RefreshList();
    setWindowTitle(QStringLiteral("Korvane - New Project[*]"));
    SetModified(false);
    ShowQuality();
    ReadSelection();
}

void BuilderWindow::OpenProject() {
    if (!MayDiscardChanges())
        return;
    std::string chosen;
    if (prompts_->OpenFile(DialogOptions(kProjectFilter, "velkp", "*.velkp", FolderKind::Projects),
                           chosen)) {
        settings_.RememberFolderOf(FolderKind::Projects, FromPath(chosen));
        OpenProjectFile(chosen);
        return;
    }
    RefreshList();
    ReadSelection();
    ShowQuality();
}

void BuilderWindow::OpenRecentProject(const QString& path) {
    if (MayDiscardChanges())
        OpenProjectFile(ToPath(path));
}

void BuilderWindow::OpenProjectFile(const std::string& path) {
    bool loaded = false;
    try {
        loaded = project_.Load(path);
        if (!loaded)
            prompts_->Message("Error reading project file.");
    } catch (const FileError& error) {
        // A file cut short: the command stops here and the window shows the old state.
        prompts_->Message(error.what());
        return;
    }
    if (loaded)
        settings_.AddRecentProject(FromPath(path));
    else
        settings_.RemoveRecentProject(FromPath(path));
    typedTitles_.clear(); // the file holds the game's bytes: nothing was typed
    verbatimTitles_.clear();
    SetTitleFromFile(path);
    SetModified(false);
    RefreshList();
    ReadSelection();
    ShowQuality();
}

bool BuilderWindow::SaveProject() {
    if (project_.path().empty())
        return SaveProjectAs();
    return SaveTo(project_.path());
}

bool BuilderWindow::SaveProjectAs() {
    const std::string proposed =
        project_.path().empty() ? std::string("newproject.velkp") : project_.path();
    std::string chosen;
    if (!prompts_->SaveFile(DialogOptions(kProjectFilter, "velkp", proposed, FolderKind::Projects),
                            chosen))
        return false;
    settings_.RememberFolderOf(FolderKind::Projects, FromPath(chosen));
    project_.SetPath(chosen);
    SetTitleFromFile(chosen);
    if (!SaveTo(chosen)) {
        project_.SetPath("");
        return false;
    }
    return true;
}

bool BuilderWindow::SaveTo(const std::string& path) {
    ProjectLock lock; // a `korvane --add` on the same project may be at work
    if (!lock.Take(path, *prompts_))
        return false;
    if (!project_.Save()) {
        prompts_->Message("Error saving project...");
        return false;
    }
    SetModified(false);
    settings_.AddRecentProject(FromPath(path));
    return true;
}

void BuilderWindow::SetTitleFromFile(const std::string& path) {
    QString name = FromPath(std::filesystem::path(path).stem().string());
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")); // a literal, not the marker
    setWindowTitle(QStringLiteral("Korvane - %1[*]").arg(name));
}

void BuilderWindow::CopyListToClipboard() {
    const QString text = WithSystemLineEnds(QString::fromStdString(SongListText(project_)));
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard)
        clipboard->setText(text);
    if (!clipboard || clipboard->text() != text)
        prompts_->Message("Unable to put on clipboard for some reason.");
}

void BuilderWindow::Build() {
    if (!ReadFieldsBack())
        return;
    project_.SetQuality(qualityBuffer_);
    if (!project_.AllValid()) {
        RefreshList(); // the check may have found files gone since they were chosen
        prompts_->Message("One or more items are not valid. Unable to build.");
        return;
    }
    std::string destination;
    if (!prompts_->SaveFile(DialogOptions(kPackFilter, "velk", "myvelk.velk", FolderKind::Packs),
                            destination))
        return;
    settings_.RememberFolderOf(FolderKind::Packs, FromPath(destination));
    std::unique_ptr<Progress> progress = progressFactory_(this);
    HeldSuccessPrompts prompts(*prompts_);
    BuildPipeline pipeline(prompts, *progress, workBaseFolder_);
    const bool delivered = pipeline.BuildMusicPackTo(project_, destination);
    progress.reset();
    if (!prompts.Held().empty())
        ShowDelivered(prompts.Held(), delivered ? destination : std::string());
}

void BuilderWindow::ShowDelivered(const std::string& message, const std::string& pack) {
    if (pack.empty()) {
        prompts_->Inform(message);
        return;
    }
    const std::string text = message + "\n\nThe music pack is at:\n" + pack;
    if (!prompts_->InformWithOffer(text, "Open Folder"))
        return;
    const QString folder = QFileInfo(FromPath(pack)).absolutePath();
    if (!folderOpener_(folder))
        prompts_->Message("Korvane could not open a file manager. The music pack is in the "
                          "folder:\n" +
                          ToPath(folder));
}

void BuilderWindow::Browse() {
    SongSlot* slot = SelectedSlot();
    if (!slot)
        return;
    std::string chosen;
    if (!prompts_->OpenFile(DialogOptions(kSongFilter, "wav", "", FolderKind::Songs), chosen))
        return;
    settings_.RememberFolderOf(FolderKind::Songs, FromPath(chosen));
    SongSlot probe;
    probe.SetPath(chosen);
    if (probe.valid())
        UseWavAsItIs(*slot, chosen);
    else
        ImportSongFiles({chosen}, project_.PositionOf(*slot), true);
}

void BuilderWindow::UseWavAsItIs(SongSlot& slot, const std::string& path) {
    slot.SetStoredPath(path);
    {
        FlagSetter suppress(suppressFieldChanges_);
        pathEdit_->setText(FromPath(path));
    }
    slot.Probe();
    if (slot.title() == "empty slot") {
        slot.SetTitle(
            ToTitle(QString::fromStdString(SongTitleFor(ReadSongTags(path), path))).bytes);
        FillFields(FromTitle(slot.title()), FromPath(path));
    }
    SetModified(true);
    RefreshList();
}

void BuilderWindow::AddSongs() {
    std::vector<std::string> files;
    if (!prompts_->OpenFiles(DialogOptions(kSongFilter, "", "", FolderKind::Songs), files) ||
        files.empty())
        return;
    settings_.RememberFolderOf(FolderKind::Songs, FromPath(files.front()));
    ImportSongFiles(files, 0, false);
}

void BuilderWindow::ImportSongFiles(const std::vector<std::string>& files, int firstPosition,
                                    bool keepOwnTitles) {
    // The songs go beside the project, so it needs a place first.
    if (project_.path().empty() && !SaveProjectAs())
        return;
    ImportSongsOptions options;
    options.matchLoudness = settings_.MatchLoudness();
    options.dataFolder = workBaseFolder_;
    options.firstPosition = firstPosition;
    options.keepOwnTitles = keepOwnTitles;
    std::unique_ptr<Progress> progress = progressFactory_(this);
    const ImportSongsOutcome outcome =
        ImportSongs(*prompts_, *progress).Run(project_, files, options);
    progress.reset();
    if (outcome.added > 0)
        SetModified(true);
    RefreshList();
    ReadSelection();
}

void BuilderWindow::MoveUp() {
    MoveSelected(true);
}

void BuilderWindow::MoveDown() {
    MoveSelected(false);
}

void BuilderWindow::MoveSelected(bool up) {
    SongSlot* slot = SelectedSlot();
    if (slot && (up ? project_.MoveUp(*slot) : project_.MoveDown(*slot))) {
        SetModified(true);
        RefreshList();
        SelectSlot(*slot);
    }
    list_->setFocus(); // the next arrow key or move goes on from the moved row
}

void BuilderWindow::ShowAbout() {
    AboutBox box(this);
    box.exec();
}

void BuilderWindow::OnFilesDropped(const QStringList& paths, int row) {
    std::vector<std::string> songs;
    for (const QString& path : paths) {
        if (IsProjectFile(path)) { // a project among songs: the project wins
            if (MayDiscardChanges())
                OpenProjectFile(ToPath(path));
            return;
        }
        songs.push_back(ToPath(path));
    }
    ImportSongFiles(songs, row >= 0 ? row + 1 : 0, false);
}

std::vector<int> BuilderWindow::DropRows(int row, int count) {
    std::vector<int> rows;
    if (row >= 0) {
        for (int next = row; next < SongProject::kSlotCount && count > 0; ++next, --count)
            rows.push_back(next);
        return rows;
    }
    for (int next = 0; next < SongProject::kSlotCount && count > 0; ++next)
        if (ImportSongs::IsEmptySlot(*rowSlots_[static_cast<std::size_t>(next)])) {
            rows.push_back(next);
            --count;
        }
    return rows;
}

void BuilderWindow::RefreshList() {
    ForgetTypedTitles();
    for (int position = 1; position <= SongProject::kSlotCount; ++position) {
        SongSlot& slot = project_.SlotAt(position);
        const int row = position - 1;
        list_->item(row, 2)->setText(FromTitle(slot.title()));
        list_->item(row, 3)->setText(
            slot.valid() ? QString::fromStdString(LengthText(slot.length())) : QStringLiteral("0"));
        list_->item(row, 4)->setText(slot.valid() ? QStringLiteral("Ok")
                                                  : QString::fromStdString(slot.status()));
        MarkRow(row, slot);
        MarkStatus(row, slot.valid());
        rowSlots_[static_cast<std::size_t>(row)] = &slot;
    }
}

const QString* BuilderWindow::TypedTitle(const SongSlot& slot) const {
    const auto typed = typedTitles_.find(&slot);
    return typed == typedTitles_.end() ? nullptr : &typed->second;
}

void BuilderWindow::ForgetTypedTitles() {
    // A title replaced since it was typed (an import, a reopened project) is no longer the
    // typed one.
    for (auto typed = typedTitles_.begin(); typed != typedTitles_.end();)
        typed = ToTitle(typed->second).bytes == typed->first->title() ? std::next(typed)
                                                                       : typedTitles_.erase(typed);
    for (auto verbatim = verbatimTitles_.begin(); verbatim != verbatimTitles_.end();)
        verbatim = verbatim->second == verbatim->first->title() ? std::next(verbatim)
                                                                : verbatimTitles_.erase(verbatim);
}

void BuilderWindow::MarkRow(int row, const SongSlot& slot) {
    // Once the typed text is gone (a reopened project, an imported tag), a "?" is the trace a
    // character the game lacks leaves; a "?" typed in this window is meant and not marked.
    QString tip;
    if (TypedTitle(slot))
        tip = QStringLiteral("The game cannot show every character typed for this title.");
    else if (!verbatimTitles_.count(&slot) && slot.title().find('?') != std::string::npos)
        tip = QStringLiteral("This title holds \"?\", which may stand for characters the game "
                             "cannot show.");
    for (int column = 0; column < list_->columnCount(); ++column) {
        QTableWidgetItem* item = list_->item(row, column);
        item->setData(Qt::BackgroundRole,
                      tip.isEmpty() ? QVariant() : QVariant(AlteredTitleBackground()));
        item->setToolTip(tip);
    }
}

void BuilderWindow::MarkStatus(int row, bool valid) {
    // A shape as well as a word, so the rows that stop a build stand out without colour.
    QTableWidgetItem* status = list_->item(row, 4);
    status->setIcon(valid ? QIcon() : style()->standardIcon(QStyle::SP_MessageBoxWarning));
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
    for (QWidget* control : std::initializer_list<QWidget*>{titleEdit_, pathEdit_, browseButton_})
        control->setEnabled(slot != nullptr);
    const int position = slot ? project_.PositionOf(*slot) : 0;
    moveUpButton_->setEnabled(position > 1);
    moveDownButton_->setEnabled(slot && position < SongProject::kSlotCount);
    if (slot) {
        const QString* typed = TypedTitle(*slot);
        FillFields(typed ? *typed : FromTitle(slot->title()), FromPath(slot->path()));
    } else
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
        if (title.changed) {
            typedTitles_[slot] = titleBuffer_;
            verbatimTitles_.erase(slot);
        } else {
            typedTitles_.erase(slot);
            verbatimTitles_[slot] = title.bytes;
        }
        slot->SetTitle(std::move(title.bytes));
        SetModified(true);
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
        SetModified(true);
        RefreshList();
    }
}

void BuilderWindow::OnQualityChanged() {
    if (writingControls_)
        return;
    if (ReadFieldsBack() && qualityBuffer_ != project_.quality()) {
        project_.SetQuality(qualityBuffer_);
        SetModified(true);
    }
}

void BuilderWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The fields apply as they are typed; Enter only checks them and never closes.
        if (ReadFieldsBack())
            project_.SetQuality(qualityBuffer_);
        return;
    case Qt::Key_Escape:
        reject();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
