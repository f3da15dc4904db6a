#include "builder/window/BuilderWindow.h"

#include "builder/window/AboutBox.h"
#include "builder/window/ApplicationIcon.h"
#include "builder/window/ElidedLabel.h"
#include "builder/window/SlotList.h"
#include "playback/Player.h"
#include "widgets/DialogUnits.h"
#include "widgets/HyperlinkLabel.h"
#include "widgets/ProgressWindow.h"
#include "widgets/QtPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QOperatingSystemVersion>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const char* const kHomePage = "https://korvane.example.org/";
// How often the listening controls follow the player.
constexpr int kListeningPollMs = 100;

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// The clipboard's text in the system's own line ends, so that it pastes as lines anywhere.
QString WithSystemLineEnds(QString text) {
    const bool windows = QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
    return text.replace(QLatin1Char('\r'), windows ? QStringLiteral("\r\n") : QStringLiteral("\n"));
}

bool PutOnClipboard(const std::string& text) {
    const QString shown = WithSystemLineEnds(Text(text));
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard)
        clipboard->setText(shown);
    return clipboard && clipboard->text() == shown;
}

void SelectForRetyping(QLineEdit* field) {
    field->setFocus();
    field->selectAll();
}

// Sets a field's text only when it differs, so that typing keeps its cursor and undo.
void Show(QLineEdit* field, const std::string& text) {
    if (field->text() != Text(text))
        field->setText(Text(text));
}

} // namespace

BuilderWindow::BuilderWindow(std::string workBaseFolder, QWidget* parent)
    : QDialog(parent), ownPrompts_(std::make_unique<QtPrompts>(this, QStringLiteral("Korvane"))),
      prompts_(ownPrompts_.get()),
      progressFactory_([](QWidget* owner) { return std::make_unique<ProgressWindow>(owner); }),
      folderOpener_([](const QString& folder) {
          return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
      }),
      player_(std::make_unique<Player>()), controller_(
                                               *prompts_, [this] { return progressFactory_(this); },
                                               settings_, std::move(workBaseFolder)) {
    controller_.SetPlayer(player_.get());
    controller_.SetFolderOpener(
        [this](const std::string& folder) { return folderOpener_(Text(folder)); });
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
    LayOut();
    ConnectSignals();
    Draw();
}

BuilderWindow::~BuilderWindow() {
    controller_.SetPlayer(nullptr);
}

void BuilderWindow::SetPrompts(Prompts* prompts) {
    prompts_ = prompts ? prompts : ownPrompts_.get();
    controller_.SetPrompts(*prompts_);
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

QLabel* BuilderWindow::inGameLabel() const {
    return inGameLabel_;
}

QLabel* BuilderWindow::timeLabel() const {
    return timeLabel_;
}

void BuilderWindow::CreateControls() {
    CreateList();
    editingBox_ = new QGroupBox(QStringLiteral("Editing"), this);
    titleLabel_ = new QLabel(QStringLiteral("&Title"), editingBox_);
    titleEdit_ = new QLineEdit(editingBox_);
    inGameLabel_ = new ElidedLabel(editingBox_);
    pathLabel_ = new QLabel(QStringLiteral("File &Path"), editingBox_);
    pathEdit_ = new QLineEdit(editingBox_);
    browseButton_ = new QPushButton(QStringLiteral("&Browse..."), editingBox_);
    moveUpButton_ = new QPushButton(QStringLiteral("Move &Up"), editingBox_);
    moveDownButton_ = new QPushButton(QStringLiteral("Move &Down"), editingBox_);
    CreateTrimControls();
    CreatePlayerControls();
    qualityLabel_ = new QLabel(QStringLiteral("Ogg &Quality:"), this);
    qualityEdit_ = new QLineEdit(this);
    link_ = new HyperlinkLabel(this);
    link_->setText(QString::fromLatin1(kHomePage));
    link_->SetAdjustToFit(false); // the layout gives it its room
    link_->setFocusPolicy(Qt::TabFocus);
    link_->setContentsMargins(2, 1, 2, 1); // room for the focus frame
    link_->Attach();
    for (QPushButton* button :
         {browseButton_, moveUpButton_, moveDownButton_, playButton_, stopButton_})
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
    setTabOrder(moveDownButton_, startEdit_);
    setTabOrder(startEdit_, endEdit_);
    setTabOrder(endEdit_, fadeInEdit_);
    setTabOrder(fadeInEdit_, fadeOutEdit_);
    setTabOrder(fadeOutEdit_, playButton_);
    setTabOrder(playButton_, stopButton_);
    setTabOrder(stopButton_, positionSlider_);
    setTabOrder(positionSlider_, gameVersionBox_);
    setTabOrder(gameVersionBox_, qualityEdit_);
    setTabOrder(qualityEdit_, link_);
}

void BuilderWindow::CreateTrimControls() {
    const auto field = [this](const char* label, const char* empty, QLabel*& labelOut,
                              QLineEdit*& fieldOut) {
        labelOut = new QLabel(QString::fromLatin1(label), editingBox_);
        fieldOut = new QLineEdit(editingBox_);
        fieldOut->setPlaceholderText(QString::fromLatin1(empty));
        labelOut->setBuddy(fieldOut);
    };
    field("Sta&rt", "0.0", startLabel_, startEdit_);
    field("&End", "end", endLabel_, endEdit_);
    field("Fade &in", "0.0", fadeInLabel_, fadeInEdit_);
    field("Fade &out", "0.0", fadeOutLabel_, fadeOutEdit_);
}

void BuilderWindow::CreatePlayerControls() {
    playButton_ = new QPushButton(QStringLiteral("Pl&ay"), editingBox_);
    stopButton_ = new QPushButton(QStringLiteral("&Stop"), editingBox_);
    positionSlider_ = new QSlider(Qt::Horizontal, editingBox_);
    positionSlider_->setFocusPolicy(Qt::StrongFocus);
    timeLabel_ = new ElidedLabel(editingBox_);
    gameVersionBox_ = new QCheckBox(QStringLiteral("As the &game plays it"), editingBox_);
    listeningTimer_ = new QTimer(this);
    listeningTimer_->setInterval(kListeningPollMs);
}

void BuilderWindow::CreateList() {
    list_ = new SlotList(this);
    list_->SetDropPlan([this](int row, int count) { return controller_.DropRows(row, count); });
}

QAction* BuilderWindow::AddCommand(QMenu* menu, const char* text, const char* keys,
                                   const std::function<void(ProjectController&)>& command) {
    QAction* action = menu->addAction(QString::fromLatin1(text));
    if (keys)
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    addAction(action); // the shortcut works whether or not the menu was ever opened
    connect(action, &QAction::triggered, this, [this, command] { Run(command); });
    return action;
}

void BuilderWindow::CreateMenu() {
    using C = ProjectController;
    menuBar_ = new QMenuBar(this);
    QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
    AddCommand(file, "&New Project", "Ctrl+N", &C::NewProject);
    file->addSeparator();
    AddCommand(file, "&Open Project...", "Ctrl+O", &C::OpenProject);
    recentMenu_ = file->addMenu(QStringLiteral("&Recent Projects"));
    AddCommand(file, "&Save Project", "Ctrl+S", [](C& controller) { controller.SaveProject(); });
    AddCommand(file, "Save Project &As...", "Ctrl+Shift+S",
               [](C& controller) { controller.SaveProjectAs(); });
    file->addSeparator();
    AddCommand(file, "A&dd Songs...", "Ctrl+I", &C::AddSongs);
    matchLoudnessAction_ = file->addAction(QStringLiteral("&Match Loudness"));
    matchLoudnessAction_->setCheckable(true);
    connect(matchLoudnessAction_, &QAction::toggled, this,
            [this](bool on) { Run([on](C& controller) { controller.SetMatchLoudness(on); }); });
    file->addSeparator();
    AddCommand(file, "&Copy List To Clipboard", nullptr,
               [](C& controller) { controller.CopyList(PutOnClipboard); });
    file->addSeparator();
    AddCommand(file, "&Build VELK...", nullptr, &C::Build);
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    addAction(exit);
    connect(exit, &QAction::triggered, this, &BuilderWindow::reject);
    connect(file, &QMenu::aboutToShow, this, [this] { Run(&C::RefreshRecentProjects); });
    // Linux window managers offer no system menu to extend; the About item lives here.
    QMenu* help = menuBar_->addMenu(QStringLiteral("&Help"));
    QAction* about = help->addAction(QStringLiteral("&About Korvane..."));
    about->setShortcut(QKeySequence(QStringLiteral("F1")));
    addAction(about);
    connect(about, &QAction::triggered, this, &BuilderWindow::ShowAbout);
}

void BuilderWindow::LayOut() {
    auto* editing = new QVBoxLayout(editingBox_);
    editing->addLayout(EditingLayout());
    editing->addLayout(TrimLayout());
    editing->addLayout(PlayerLayout());
    editingBox_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(qualityLabel_);
    bottom->addWidget(qualityEdit_);
    bottom->addStretch(1);
    bottom->addWidget(link_);
    const QRect qualityField = DialogUnitsToPixels(*this, 45, 220, 25, 12);
    qualityEdit_->setFixedWidth(
        std::max(qualityField.width(), qualityEdit_->fontMetrics().horizontalAdvance("100") + 12));

    const QRect margins = DialogUnitsToPixels(*this, 0, 0, 5, 5);
    auto* window = new QVBoxLayout(this);
    window->setMenuBar(menuBar_);
    window->setContentsMargins(margins.width(), margins.height(), margins.width(),
                               margins.height());
    window->addWidget(list_, 1);
    window->addWidget(editingBox_);
    window->addLayout(bottom);

    // At least the original's size in dialog units of this font; the layout may ask for more.
    const QSize original = DialogUnitsToPixels(*this, 0, 0, 347, 234).size();
    const QSize menu(0, menuBar_->sizeHint().height());
    setMinimumSize(window->minimumSize().expandedTo(original + menu));
    resize(sizeHint().expandedTo(minimumSize())); // every row of the list in view
}

QGridLayout* BuilderWindow::EditingLayout() {
    // Title and File Path, Browse... after the path and the in-game title after the title;
    // Move Up and Move Down on the right. The trim and the player follow in rows of their own.
    auto* grid = new QGridLayout;
    const int fieldWidth = DialogUnitsToPixels(*this, 50, 175, 140, 15).width();
    titleEdit_->setMinimumWidth(fieldWidth);
    pathEdit_->setMinimumWidth(fieldWidth);
    grid->addWidget(titleLabel_, 0, 0);
    grid->addWidget(titleEdit_, 0, 1);
    grid->addWidget(inGameLabel_, 0, 2, 1, 2);
    grid->addWidget(moveUpButton_, 0, 4);
    grid->addWidget(pathLabel_, 1, 0);
    grid->addWidget(pathEdit_, 1, 1);
    grid->addWidget(browseButton_, 1, 2);
    grid->addWidget(moveDownButton_, 1, 4);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 1);
    const int buttonWidth = DialogUnitsToPixels(*this, 290, 175, 44, 14).width();
    for (QPushButton* button : {moveUpButton_, moveDownButton_})
        button->setMinimumWidth(std::max(buttonWidth, button->sizeHint().width()));
    return grid;
}

QHBoxLayout* BuilderWindow::TrimLayout() {
    // Each field as wide as the longest time it takes, whatever the font.
    auto* row = new QHBoxLayout;
    const int gap = DialogUnitsToPixels(*this, 0, 0, 6, 0).width();
    const std::pair<QLabel*, QLineEdit*> fields[] = {{startLabel_, startEdit_},
                                                     {endLabel_, endEdit_},
                                                     {fadeInLabel_, fadeInEdit_},
                                                     {fadeOutLabel_, fadeOutEdit_}};
    for (const auto& [label, field] : fields) {
        if (label != startLabel_)
            row->addSpacing(gap);
        row->addWidget(label);
        row->addWidget(field);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0:00:00.0")) +
                             field->fontMetrics().averageCharWidth() * 2);
    }
    row->addStretch(1);
    return row;
}

QHBoxLayout* BuilderWindow::PlayerLayout() {
    // Play keeps one width whether it reads Play or Pause; the time has room for 30 minutes,
    // and for "No sound output", which it shows instead.
    auto* row = new QHBoxLayout;
    playButton_->setText(QStringLiteral("P&ause"));
    const int pauseWidth = playButton_->sizeHint().width();
    playButton_->setText(QStringLiteral("Pl&ay"));
    const int buttonWidth = DialogUnitsToPixels(*this, 0, 0, 44, 14).width();
    playButton_->setMinimumWidth(
        std::max({buttonWidth, pauseWidth, playButton_->sizeHint().width()}));
    stopButton_->setMinimumWidth(std::max(buttonWidth, stopButton_->sizeHint().width()));
    positionSlider_->setMinimumWidth(DialogUnitsToPixels(*this, 0, 0, 60, 0).width());
    const QFontMetrics metrics = timeLabel_->fontMetrics();
    timeLabel_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    timeLabel_->setFixedWidth( // a longer reason is cut, whole in its tip
        std::max(metrics.horizontalAdvance(QStringLiteral("00:00.0 / 00:00.0")),
                 metrics.horizontalAdvance(QString::fromLatin1(kNoSoundOutput))) +
        metrics.averageCharWidth());
    row->addWidget(playButton_);
    row->addWidget(stopButton_);
    row->addWidget(positionSlider_, 3);
    row->addWidget(timeLabel_);
    row->addWidget(gameVersionBox_);
    return row;
}

void BuilderWindow::ConnectSignals() {
    using C = ProjectController;
    connect(list_, &QTableWidget::itemSelectionChanged, this, [this] {
        Run([row = list_->SelectedRow()](C& controller) { controller.Select(row); });
    });
    connect(list_, &SlotList::FilesDropped, this, [this](const QStringList& paths, int row) {
        std::vector<std::string> files;
        for (const QString& path : paths)
            files.push_back(path.toStdString());
        Run([files, row](C& controller) { controller.Drop(files, row); });
    });
    connect(titleEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        Run([text = text.toStdString()](C& controller) { controller.SetTitle(text); });
    });
    connect(pathEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        Run([text = text.toStdString()](C& controller) { controller.SetPath(text); });
    });
    connect(qualityEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        Run([text = text.toStdString()](C& controller) { controller.SetQualityText(text); });
    });
    connect(browseButton_, &QPushButton::clicked, this, [this] { Run(&C::Browse); });
    connect(moveUpButton_, &QPushButton::clicked, this, [this] { Run(&C::MoveUp); });
    connect(moveDownButton_, &QPushButton::clicked, this, [this] { Run(&C::MoveDown); });
    ConnectTrimField(startEdit_, C::TrimField::Start);
    ConnectTrimField(endEdit_, C::TrimField::End);
    ConnectTrimField(fadeInEdit_, C::TrimField::FadeIn);
    ConnectTrimField(fadeOutEdit_, C::TrimField::FadeOut);
    ConnectPlayer();
    list_->installEventFilter(this); // Space, [ and ] before the list's own use of them
}

void BuilderWindow::ConnectTrimField(QLineEdit* field, ProjectController::TrimField which) {
    // Applied once the time is typed in full: on Enter or when the field is left.
    connect(field, &QLineEdit::editingFinished, this, [this, field, which] {
        field->setModified(false); // drawn from the slot again, also after a refusal
        Run([which, text = field->text().toStdString()](ProjectController& controller) {
            controller.SetTrimText(which, text);
        });
    });
}

void BuilderWindow::ConnectPlayer() {
    using C = ProjectController;
    connect(playButton_, &QPushButton::clicked, this, [this] { Run(&C::PlayOrPause); });
    connect(stopButton_, &QPushButton::clicked, this, [this] { Run(&C::StopListening); });
    connect(gameVersionBox_, &QCheckBox::toggled, this,
            [this](bool on) { Run([on](C& controller) { controller.SetGameVersion(on); }); });
    // Clicks, keys and wheel move the song at once; a drag moves it where it is let go.
    const auto seek = [this](int milliseconds) {
        Run([seconds = milliseconds / 1000.0](C& controller) {
            controller.SeekListening(seconds);
        });
    };
    connect(positionSlider_, &QSlider::actionTriggered, this, [this, seek](int action) {
        if (action != QAbstractSlider::SliderMove)
            seek(positionSlider_->sliderPosition());
    });
    connect(positionSlider_, &QSlider::sliderReleased, this,
            [this, seek] { seek(positionSlider_->sliderPosition()); });
    connect(listeningTimer_, &QTimer::timeout, this,
            [this] { DrawListening(controller_.View().listening); });
    listeningTimer_->start();
}

void BuilderWindow::Run(const std::function<void(ProjectController&)>& command) {
    command(controller_);
    Draw();
}

void BuilderWindow::OpenProjectFile(const std::string& path) {
    Run([&path](ProjectController& controller) { controller.OpenProjectFile(path); });
}

bool BuilderWindow::SaveProjectAs() {
    bool saved = false;
    Run([&saved](ProjectController& controller) { saved = controller.SaveProjectAs(); });
    return saved;
}

void BuilderWindow::Build() {
    Run(&ProjectController::Build);
}

void BuilderWindow::ShowAbout() {
    AboutBox box(this);
    box.exec();
}

void BuilderWindow::reject() {
    bool mayClose = false;
    Run([&mayClose](ProjectController& controller) { mayClose = controller.MayDiscardChanges(); });
    if (!mayClose)
        return;
    Run(&ProjectController::StopListening);
    QDialog::reject();
}

bool BuilderWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        ListeningKey(*static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

// A field takes these keys as text, a button or check box Space as its click: they reach the
// window only from the list (through the filter) and from controls that have no use for them.
bool BuilderWindow::ListeningKey(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Space && key.modifiers() == Qt::NoModifier) {
        Run(&ProjectController::PlayOrPause);
        return true;
    }
    if (key.text() == QStringLiteral("[")) {
        Run(&ProjectController::MarkStart);
        return true;
    }
    if (key.text() == QStringLiteral("]")) {
        Run(&ProjectController::MarkEnd);
        return true;
    }
    return false;
}

void BuilderWindow::keyPressEvent(QKeyEvent* event) {
    if (ListeningKey(*event))
        return;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: // the fields apply as they are typed; Enter only checks them
        Run([](ProjectController& controller) { controller.ConfirmFields(); });
        return;
    case Qt::Key_Escape:
        reject();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void BuilderWindow::Draw() {
    const ProjectView view = controller_.View();
    const QSignalBlocker blockers[] = {
        QSignalBlocker(titleEdit_),   QSignalBlocker(pathEdit_),
        QSignalBlocker(qualityEdit_), QSignalBlocker(startEdit_),
        QSignalBlocker(endEdit_),     QSignalBlocker(fadeInEdit_),
        QSignalBlocker(fadeOutEdit_), QSignalBlocker(matchLoudnessAction_)};
    list_->ShowRows(view.rows);
    list_->ShowSelection(view.selectedRow);
    Show(titleEdit_, view.titleText);
    Show(pathEdit_, view.pathText);
    Show(qualityEdit_, view.qualityText);
    for (QWidget* control : std::initializer_list<QWidget*>{titleEdit_, pathEdit_, browseButton_})
        control->setEnabled(view.slotFieldsEnabled);
    moveUpButton_->setEnabled(view.moveUpEnabled);
    moveDownButton_->setEnabled(view.moveDownEnabled);
    const std::pair<QLineEdit*, const std::string*> times[] = {{startEdit_, &view.startText},
                                                               {endEdit_, &view.endText},
                                                               {fadeInEdit_, &view.fadeInText},
                                                               {fadeOutEdit_, &view.fadeOutText}};
    for (const auto& [field, text] : times) {
        if (!field->hasFocus() || !field->isModified()) // a time being typed stays until left
            Show(field, *text);
        field->setEnabled(view.trimFieldsEnabled);
    }
    DrawListening(view.listening);
    inGameLabel_->SetFullText(Text(view.inGameText));
    inGameLabel_->setVisible(!view.inGameText.empty());
    QString caption = Text(view.caption);
    caption.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")); // a literal, not the marker
    setWindowTitle(caption + QStringLiteral("[*]"));
    setWindowModified(view.modified);
    DrawRecent(view.recentProjects);
    matchLoudnessAction_->setChecked(view.matchLoudness);
    TakeFocus();
}

void BuilderWindow::DrawListening(const ListeningView& view) {
    const QString play = view.playing ? QStringLiteral("P&ause") : QStringLiteral("Pl&ay");
    if (playButton_->text() != play)
        playButton_->setText(play);
    playButton_->setEnabled(view.available && view.playEnabled);
    stopButton_->setEnabled(view.available && view.stopEnabled);
    positionSlider_->setEnabled(view.available && view.positionEnabled);
    gameVersionBox_->setEnabled(view.available);
    {
        const QSignalBlocker blocker(gameVersionBox_);
        gameVersionBox_->setChecked(view.gameVersion);
    }
    if (!positionSlider_->isSliderDown()) { // a drag shows where it is, not where the song is
        const QSignalBlocker blocker(positionSlider_);
        positionSlider_->setRange(0, view.durationMs);
        positionSlider_->setValue(view.positionMs);
        positionSlider_->setPageStep(std::max(view.durationMs / 10, 1));
        positionSlider_->setSingleStep(std::max(view.durationMs / 100, 1));
    }
    // Why nothing can play matters more than where it would be.
    timeLabel_->SetFullText(Text(view.status.empty() ? view.timeText : view.status));
}

void BuilderWindow::DrawRecent(const std::vector<std::string>& recent) {
    if (recent == shownRecent_)
        return;
    shownRecent_ = recent;
    recentMenu_->clear();
    for (std::size_t index = 0; index < recent.size(); ++index) {
        QString label = Text(recent[index]);
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action =
            recentMenu_->addAction(QStringLiteral("&%1 %2").arg(index + 1).arg(label));
        connect(action, &QAction::triggered, this, [this, path = recent[index]] {
            Run([path](ProjectController& controller) { controller.OpenRecentProject(path); });
        });
    }
    recentMenu_->setEnabled(!recent.empty());
}

void BuilderWindow::TakeFocus() {
    switch (controller_.TakeFocusRequest()) {
    case FocusRequest::List:
        list_->setFocus();
        break;
    case FocusRequest::Quality:
        SelectForRetyping(qualityEdit_);
        break;
    case FocusRequest::Start:
        SelectForRetyping(startEdit_);
        break;
    case FocusRequest::End:
        SelectForRetyping(endEdit_);
        break;
    case FocusRequest::FadeIn:
        SelectForRetyping(fadeInEdit_);
        break;
    case FocusRequest::FadeOut:
        SelectForRetyping(fadeOutEdit_);
        break;
    case FocusRequest::None:
        break;
    }
}
