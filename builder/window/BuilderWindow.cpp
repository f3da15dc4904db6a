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

#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
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
    LayOut();
    ConnectSignals();
    Draw();
}

BuilderWindow::~BuilderWindow() {
    // Controls that go after the window's own members (a time field that loses its focus as
    // it goes) must not reach a window that is half gone.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
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
    trim_ = new TrimFields(editingBox_);
    listening_ = new ListeningBar(editingBox_);
    listeningTimer_ = new QTimer(this);
    listeningTimer_->setInterval(kListeningPollMs);
    qualityLabel_ = new QLabel(QStringLiteral("Ogg &Quality:"), this);
    qualityEdit_ = new QLineEdit(this);
    link_ = new HyperlinkLabel(this);
    link_->setText(QString::fromLatin1(kHomePage));
    link_->SetAdjustToFit(false); // the layout gives it its room
    link_->setFocusPolicy(Qt::TabFocus);
    link_->setContentsMargins(2, 1, 2, 1); // room for the focus frame
    link_->Attach();
    menuBar_ = new ProjectMenu(this, [this](const ProjectMenu::Command& command) { Run(command); });
    for (QPushButton* button : {browseButton_, moveUpButton_, moveDownButton_})
        button->setAutoDefault(false); // Enter belongs to the window, not to a button
    titleLabel_->setBuddy(titleEdit_);
    pathLabel_->setBuddy(pathEdit_);
    qualityLabel_->setBuddy(qualityEdit_);
    SetTabOrder();
}

// The order of the screen: the list, then the fields top to bottom, left to right.
void BuilderWindow::SetTabOrder() {
    QWidget* const order[] = {list_,
                              titleEdit_,
                              pathEdit_,
                              browseButton_,
                              moveUpButton_,
                              moveDownButton_,
                              startField(),
                              endField(),
                              fadeInField(),
                              fadeOutField(),
                              playButton(),
                              stopButton(),
                              positionSlider(),
                              gameVersionBox(),
                              qualityEdit_,
                              link_};
    for (std::size_t index = 1; index < std::size(order); ++index)
        setTabOrder(order[index - 1], order[index]);
}

void BuilderWindow::CreateList() {
    list_ = new SlotList(this);
    list_->SetDropPlan([this](int row, int count) { return controller_.DropRows(row, count); });
}

void BuilderWindow::LayOut() {
    auto* editing = new QVBoxLayout(editingBox_);
    editing->addLayout(EditingLayout());
    editing->addWidget(trim_);
    editing->addWidget(listening_);
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
    connect(trim_, &TrimFields::TimeTyped, this,
            [this](C::TrimField which, const std::string& text) {
                Run([which, text](C& controller) { controller.SetTrimText(which, text); });
            });
    connect(listening_, &ListeningBar::PlayOrPause, this, [this] { Run(&C::PlayOrPause); });
    connect(listening_, &ListeningBar::Stop, this, [this] { Run(&C::StopListening); });
    connect(listening_, &ListeningBar::GameVersionSwitched, this,
            [this](bool on) { Run([on](C& controller) { controller.SetGameVersion(on); }); });
    connect(listening_, &ListeningBar::Seek, this, [this](double seconds) {
        Run([seconds](C& controller) { controller.SeekListening(seconds); });
    });
    connect(listeningTimer_, &QTimer::timeout, this,
            [this] { listening_->Draw(controller_.View().listening); });
    listeningTimer_->start();
    connect(menuBar_, &ProjectMenu::ExitChosen, this, &BuilderWindow::reject);
    connect(menuBar_, &ProjectMenu::AboutChosen, this, &BuilderWindow::ShowAbout);
    list_->installEventFilter(this); // Space, [ and ] before the list's own use of them
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
    const QSignalBlocker blockers[] = {QSignalBlocker(titleEdit_), QSignalBlocker(pathEdit_),
                                       QSignalBlocker(qualityEdit_)};
    list_->ShowRows(view.rows);
    list_->ShowSelection(view.selectedRow);
    Show(titleEdit_, view.titleText);
    Show(pathEdit_, view.pathText);
    Show(qualityEdit_, view.qualityText);
    for (QWidget* control : std::initializer_list<QWidget*>{titleEdit_, pathEdit_, browseButton_})
        control->setEnabled(view.slotFieldsEnabled);
    moveUpButton_->setEnabled(view.moveUpEnabled);
    moveDownButton_->setEnabled(view.moveDownEnabled);
    trim_->Draw(view);
    listening_->Draw(view.listening);
    inGameLabel_->SetFullText(Text(view.inGameText));
    inGameLabel_->setVisible(!view.inGameText.empty());
    QString caption = Text(view.caption);
    caption.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")); // a literal, not the marker
    setWindowTitle(caption + QStringLiteral("[*]"));
    setWindowModified(view.modified);
    menuBar_->Draw(view);
    TakeFocus();
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
        trim_->SelectForRetyping(TrimFields::Field::Start);
        break;
    case FocusRequest::End:
        trim_->SelectForRetyping(TrimFields::Field::End);
        break;
    case FocusRequest::FadeIn:
        trim_->SelectForRetyping(TrimFields::Field::FadeIn);
        break;
    case FocusRequest::FadeOut:
        trim_->SelectForRetyping(TrimFields::Field::FadeOut);
        break;
    case FocusRequest::None:
        break;
    }
}
