#include "ui/TForm1.h"

#include "device/DeviceChangeWatcher.h"
#include "device/TurningWait.h"
#include "shell/CommandLine.h"
#include "shell/Language.h"
#include "shell/LogPortSearch.h"
#include "shell/ProgramVersion.h"
#include "shell/SessionClose.h"
#include "ui/KeyFilterInstaller.h"
#include "ui/PendingChangesView.h"
#include "ui/RichLog.h"
#include "ui/SettingsBinder.h"
#include "ui/TForm2.h"
#include "ui/TFormPass.h"
#include "ui/WindowPrompts.h"
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <functional>

namespace kvmt {

namespace {

// Design geometry of the client area, in pixels.
constexpr int kLogTop = 493;
constexpr int kLogWidth = 706;
constexpr int kLogMinHeight = 124;
constexpr int kLogMaxHeight = 205;
// The progress bar sits between the check box and the log button, which
// cmd mode shows; both keep their places.
constexpr QRect kProgressBarGeometry(243, 465, 70, 17);
constexpr QRect kStopGeometry(316, 462, 38, 24);
// How soon a close that waited for a stop tries again.
constexpr int kCloseRetryMs = 20;

using pages::pixelFont;

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(pixelFont(13));
    label->move(x, y);
    label->adjustSize();
    return label;
}

// The header's panels: sunken frames with bold centred text.
QLabel *makePanel(QWidget *parent, const char *name, int x, int width)
{
    auto *panel = new QLabel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFont(pixelFont(13, true));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setGeometry(x, 6, width, 25);
    return panel;
}

QWidget *addPage(QTabWidget *tabs, const char *name, const QString &caption)
{
    auto *page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    tabs->addTab(page, caption);
    return page;
}

// Tells the page changes the person makes (a click on a tab, Ctrl+Tab, the
// arrows or the wheel on the tab bar) from the pages the program selects:
// only the person's choice runs `chosen`.
class PersonsPageChoice : public QObject
{
public:
    PersonsPageChoice(QTabWidget *pages, std::function<void()> chosen)
        : QObject(pages)
        , m_chosen(std::move(chosen))
    {
        pages->installEventFilter(this);
        pages->tabBar()->installEventFilter(this);
        connect(pages, &QTabWidget::currentChanged, this, [this] {
            if (m_personsInput)
                m_chosen();
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_personsInput || !isInput(event->type()) || !static_cast<QWidget *>(watched)->isEnabled())
            return false;
        // Delivered from here so that a change of page it makes happens
        // while it is known to be the person's. An enabled widget takes
        // every input event, so returning true leaves nothing undelivered.
        const QScopedValueRollback personsInput(m_personsInput, true);
        watched->event(event);
        return true;
    }

private:
    static bool isInput(QEvent::Type type)
    {
        return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease
            || type == QEvent::MouseButtonDblClick || type == QEvent::KeyPress || type == QEvent::Wheel;
    }

    std::function<void()> m_chosen;
    bool m_personsInput = false;
};

} // namespace

TForm1::TForm1(Options options, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("KVMTConf"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFont(pixelFont(11));
    setMinimumSize(kWidth, kMinHeight);
    setMaximumSize(kWidth, kMaxHeight);
    resize(kWidth, kMaxHeight);

    auto *central = new QWidget(this);
    setCentralWidget(central);
    buildMenu();
    buildHeader(central);
    buildPages(central);
    buildButtonRow(central);

    m_log = new QTextEdit(central);
    m_log->setObjectName(QStringLiteral("mLog"));
    m_log->setReadOnly(true);
    m_log->setAcceptRichText(false);
    m_log->setFont(pixelFont(11));
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_logPane = std::make_unique<LogPane>(m_log);

    UserPrompts *prompts = options.prompts;
    if (!prompts) {
        m_ownPrompts = std::make_unique<WindowPrompts>(this);
        prompts = m_ownPrompts.get();
    }
    m_prompts = prompts;
    m_configurator = std::make_unique<Configurator>(*m_logPane, *prompts, options.libraryDirs);
    if (m_ownPrompts) {
        ConnectionMonitor &monitor = m_configurator->monitor();
        static_cast<WindowPrompts &>(*m_ownPrompts)
            .setModalHooks([&monitor] { monitor.holdRuns(); }, [&monitor] { monitor.releaseRuns(); });
    }
    if (options.turnWhileWaiting) {
        m_waiter = std::make_unique<TurningWaiter>();
        m_configurator->link().setWaiter([waiter = m_waiter.get()](const std::function<void()> &call) { (*waiter)(call); });
    }
    qApp->installEventFilter(this);
    m_binder = std::make_unique<SettingsBinder>(m_configurator->settings(), this);
    m_binder->onRefusedText([prompts](const QString &message) { prompts->showMessage(message); });
    new KeyFilterInstaller(*m_binder, this);
    new ChangeMarks(m_configurator->pendingChanges(), m_configurator->settings(), *m_binder, this);
    connectDeviceServices();
    connectProfileCommands();
    connectProgressBar();
    connect(m_stop, &QPushButton::clicked, this, &TForm1::requestStop);
    // Between two exchanges (a test's polls) Esc reaches the window as a
    // shortcut; during one, holdsBackInput() takes it.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TForm1::requestStop);
    connect(&m_configurator->tests(), &CommunicationTests::pollingChanged, this, &TForm1::showStop);
    connect(m_configurator.get(), &Configurator::linkClaimChanged, this, &TForm1::showStop);

    if (options.watchDevices) {
        m_watcher = std::make_unique<DeviceChangeWatcher>();
        connect(m_watcher.get(), &DeviceChangeWatcher::deviceChanged, &m_configurator->monitor(),
                &ConnectionMonitor::WMDeviceChange);
        m_configurator->monitor().start();
    }
    layoutLogPane();

    m_consoleEnabled = consoleRequested(options.arguments);
    m_arguments = options.arguments;
    // FormCreate
    m_exeDir = options.exeDir;
    if (!m_exeDir.isEmpty())
        m_configurator->setExeDir(m_exeDir);
    connectServiceControls();

    m_form2 = new TForm2(this);
    m_form2->attach(&m_configurator->cdcLog());
}

TForm1::~TForm1()
{
    FormDestroy();
    // The binder listens to the model; it goes first.
    m_binder.reset();
}

WindowGeometry TForm1::currentGeometry() const
{
    // Outer size: what the person sees and what MT.ini keeps.
    return {y(), x(), frameGeometry().width(), frameGeometry().height()};
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Once: a window restored from the task bar is shown again, not anew.
    if (!event->spontaneous() && !m_settingsRead)
        FormShow();
}

void TForm1::FormShow()
{
    readProgramSettings();
    applyLanguage(m_programSettings.languageId);
    showVersionCaption();
    // The frame's limits hold the window within its layout's sizes.
    DeviceSettings &model = m_configurator->settings();
    if (m_consoleEnabled) {
        // The service parameter also opens the way to the debug log, which
        // no other control of the window offers.
        for (const F control : {F::edCmd, F::btSkip, F::btOpenLog})
            model.setVisible(control, true);
    }
    model.setIndex(F::cbProfile, 5);
    m_configurator->applyProfileLayout();
    m_pages->setCurrentIndex(0);
    if (auto *setup = findChild<QTabWidget *>(QStringLiteral("pcSetup")))
        setup->setCurrentIndex(0);
}

void TForm1::readProgramSettings()
{
    m_settingsRead = true;
    if (m_exeDir.isEmpty())
        return;
    const bool systemIsRussian = QLocale::system().language() == QLocale::Russian
                                 && QLocale::system().territory() == QLocale::Russia;
    m_programSettings = kvmt::readProgramSettings(programSettingsPath(m_exeDir), systemIsRussian);
    const WindowGeometry &stored = m_programSettings.stored.geometry;
    // The password dialog opens where the window stood at start, zeros
    // included, not where the window is when a tracker is plugged.
    if (m_ownPrompts)
        static_cast<WindowPrompts &>(*m_ownPrompts).passwordDialog().setStoredTopLeft({stored.left, stored.top});
    // Sizes beyond the frame's limits are brought within them.
    m_mainForm.emplace(m_programSettings.stored);
    const QSize frame = frameGeometry().size() - size();
    if (const std::optional<WindowGeometry> inside = m_mainForm->insideAtStart(frame.width(), frame.height())) {
        move(inside->left, inside->top);
        resize(inside->width, inside->height);
        m_mainForm->startedAs({y(), x(), width(), height()});
    }
}

void TForm1::showVersionCaption()
{
    const ProgramVersion version = programVersion();
    setWindowTitle(versionCaption(version.major, version.minor));
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closed in the middle of an exchange: the sequence stops first, then
    // the window closes as usual, once nothing of it is left on the stack.
    if (m_configurator->link().isWaiting()) {
        requestStop();
        event->ignore();
        QTimer::singleShot(kCloseRetryMs, this, &QWidget::close);
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

void TForm1::FormClose()
{
    // No device notice may take the tracker up again while the program ends.
    m_watcher.reset();
    closeSession(m_configurator->cdcLog(), m_configurator->link(), m_configurator->flags());
}

void TForm1::FormDestroy()
{
    // A window that was never shown has no place of its own to remember.
    if (m_exeDir.isEmpty() || !m_settingsRead)
        return;
    // An unwritable folder leaves MT.ini as it was; the program ends anyway.
    const QSize frame = frameGeometry().size() - size();
    const WindowGeometry now = m_mainForm ? m_mainForm->atExit({y(), x(), width(), height()}, frame.width(), frame.height())
                                          : currentGeometry();
    saveGeometryIfChanged(programSettingsPath(m_exeDir), now, m_programSettings.stored.geometry);
}

void TForm1::connectServiceControls()
{
    auto button = [this](const char *name) { return findChild<QPushButton *>(QString::fromLatin1(name)); };
    if (QPushButton *openLog = button("btOpenLog"))
        connect(openLog, &QPushButton::clicked, this, &TForm1::openCdcLog);
    if (QPushButton *skip = button("btSkip"))
        connect(skip, &QPushButton::clicked, this, &TForm1::runConsoleCommand);
    if (auto *command = findChild<QLineEdit *>(QStringLiteral("edCmd"))) {
        connect(command, &QLineEdit::returnPressed, this, &TForm1::runConsoleCommand);
        command->installEventFilter(this);
    }
    CommandConsole &console = m_configurator->console();
    if (QPushButton *boot = button("Button1"))
        connect(boot, &QPushButton::clicked, this, [&console] { console.Button1Click(); });
    if (QPushButton *flash = button("Button2"))
        connect(flash, &QPushButton::clicked, this, [&console] { console.Button2Click(); });
    // A debug port this user may not open is explained where every other
    // outcome is: in the event log.
    connect(&m_configurator->cdcLog(), &CdcLog::accessDenied, this,
            [this](const QString &message) { m_configurator->log().logEvent(message, LogError); });
    // The connection monitor disables the log button when the tracker goes;
    // the next tracker brings it back.
    connect(&m_configurator->monitor(), &ConnectionMonitor::runFinished, this, [this] {
        if (m_configurator->isConnected())
            m_configurator->settings().setEnabled(F::btOpenLog, true);
    });
}

void TForm1::openCdcLog()
{
    if (m_configurator->cdcLog().open(listSerialPorts()))
        m_form2->showBeside(this);
}

void TForm1::runConsoleCommand()
{
    m_configurator->console().send(m_configurator->settings().text(F::edCmd));
}

bool TForm1::sequenceRunning() const
{
    return m_configurator->link().isStoppableRunning() || m_progressShown || m_configurator->tests().isAnyPolling();
}

void TForm1::requestStop()
{
    if (sequenceRunning())
        m_configurator->stop().request();
}

void TForm1::showStop()
{
    // Also between the bar's runs: identification, a profile change's
    // READPROFILE and a test's settings phase look at the stop request too.
    m_stop->setVisible(sequenceRunning());
}

bool TForm1::reachesStop(QObject *watched, QEvent *event) const
{
    if (watched == m_stop)
        return true;
    // Qt hands the press to the top-level window first, which passes it on
    // to the widget under the mouse: let through what is meant for Stop, and
    // the release that ends a press Stop took.
    if (watched != windowHandle() || !m_stop->isVisible() || !m_stop->isEnabled())
        return false;
    if (event->type() == QEvent::MouseButtonRelease && m_stop->isDown())
        return true;
    const QPoint global = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
    return m_stop->rect().contains(m_stop->mapFromGlobal(global));
}

bool TForm1::holdsBackInput(QObject *watched, QEvent *event)
{
    if (!m_configurator || !m_configurator->link().isWaiting())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            requestStop();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return !reachesStop(watched, event);
    case QEvent::Shortcut:
        // Esc arrives as the window's shortcut when the keyboard goes
        // through the shortcut map first.
        if (static_cast<QShortcutEvent *>(event)->key() == QKeySequence(Qt::Key_Escape))
            requestStop();
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// Up and Down in the console's field recall the commands sent before.
bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (holdsBackInput(watched, event))
        return true;
    if (event->type() == QEvent::KeyPress && watched->objectName() == u"edCmd") {
        const int key = static_cast<QKeyEvent *>(event)->key();
        CommandHistory &history = m_configurator->console().history();
        DeviceSettings &model = m_configurator->settings();
        std::optional<QString> recalled;
        if (key == Qt::Key_Up)
            recalled = history.previous(model.text(F::edCmd));
        else if (key == Qt::Key_Down)
            recalled = history.next();
        else
            return QMainWindow::eventFilter(watched, event);
        if (recalled)
            model.setText(F::edCmd, *recalled);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::buildMenu()
{
    QMenu *file = menuBar()->addMenu(tr("Файл"));
    file->setObjectName(QStringLiteral("N1"));
    QAction *load = file->addAction(tr("Загрузить профиль настроек"));
    load->setObjectName(QStringLiteral("N4"));
    QAction *save = file->addAction(tr("Сохранить профиль настроек"));
    save->setObjectName(QStringLiteral("N5"));
    QAction *exit = file->addAction(tr("Выход"));
    exit->setObjectName(QStringLiteral("N6"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu *language = menuBar()->addMenu(tr("Язык/Language"));
    language->setObjectName(QStringLiteral("LangMenu"));
    QAction *russian = language->addAction(tr("Русский"));
    russian->setObjectName(QStringLiteral("N3"));
    QAction *english = language->addAction(QStringLiteral("English"));
    english->setObjectName(QStringLiteral("English1"));
    for (QAction *item : {russian, english}) {
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, item] { N3Click(item); });
    }

    // Only shows: Save works as it always has.
    QAction *changes = menuBar()->addAction(tr("Изменения"));
    changes->setObjectName(QStringLiteral("ChangesItem"));
    connect(changes, &QAction::triggered, this, &TForm1::showChanges);

    QAction *help = menuBar()->addAction(tr("Справка"));
    help->setObjectName(QStringLiteral("N2"));
    connect(help, &QAction::triggered, this, &TForm1::N2Click);
}

void TForm1::applyLanguage(int languageId)
{
    findChild<QAction *>(QStringLiteral("N3"))->setChecked(languageId != LanguageEnglish);
    findChild<QAction *>(QStringLiteral("English1"))->setChecked(languageId == LanguageEnglish);
}

// The choice is stored at once and takes effect at the next start: the
// window is built in one language and is not rebuilt while it runs.
void TForm1::N3Click(QAction *item)
{
    auto *menu = findChild<QMenu *>(QStringLiteral("LangMenu"));
    const std::optional<int> languageId = languageAtMenuPosition(int(menu->actions().indexOf(item)));
    if (!languageId)
        return;
    const QString iniPath = m_exeDir.isEmpty() ? QString() : programSettingsPath(m_exeDir);
    const LanguageChoice choice = storeLanguageChoice(iniPath, *languageId);
    applyLanguage(*languageId);
    if (!choice.restartNeeded)
        return;
    if (!m_prompts->askYesNo(QStringLiteral("Korvel-MT Conf"),
                             tr("Необходимо перезапустить программу для применения изменений. Сделать это сейчас?")))
        return;
    // Started only after the window has gone and written MT.ini, so that
    // the new instance reads the file complete.
    m_restartOnExit = restartCommandForThisProgram(m_arguments);
    close();
}

void TForm1::showChanges()
{
    auto *dialog = new ChangesDialog(m_configurator->pendingChanges(), m_configurator->settings(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    dialog->show();
}

void TForm1::N2Click()
{
    // A missing manual or viewer is not the program's to report.
    QDesktopServices::openUrl(QUrl::fromLocalFile(manualPath(QCoreApplication::applicationDirPath())));
}

void TForm1::buildHeader(QWidget *central)
{
    makeLabel(central, "Label8", tr("Серийный номер:"), 8, 8);
    makePanel(central, "pSerial", 128, 90);
    makeLabel(central, "Label9", tr("Версия прошивки:"), 243, 8);
    makePanel(central, "pVersion", 357, 90);
    makeLabel(central, "Ubat", tr("Uбат."), 476, 8);
    makePanel(central, "Ubattery", 510, 58);
    makeLabel(central, "Label53", tr("Темп."), 589, 8);
    makePanel(central, "Temper", 629, 40);
}

void TForm1::buildPages(QWidget *central)
{
    m_pages = new QTabWidget(central);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setGeometry(0, 37, 721, 419);
    m_pages->tabBar()->setFont(pixelFont(13));
    buildProfilesPage(addPage(m_pages, "TabSheet7", tr("Профили")));
    QWidget *common = addPage(m_pages, "TabSheet8", tr("Общие настройки"));
    buildSummaryPage(addPage(m_pages, "TabSheet9", tr("Сводная информация")));

    auto *setup = new QTabWidget(common);
    setup->setObjectName(QStringLiteral("pcSetup"));
    setup->setGeometry(0, 1, 713, 385);
    // The inner pages take the tabs' font, as the outer ones do.
    setup->setFont(pixelFont(13));
    buildGsmPage(addPage(setup, "GSMSetup", QStringLiteral("  GSM  ")));
    buildSmsPage(addPage(setup, "TabSheet3", QStringLiteral("  SMS  ")));
    buildServerPage(addPage(setup, "TabSheet1", tr("Сервер")));
    buildMailPage(addPage(setup, "TabSheet2", tr("Почта")));
    buildAccelerometerPage(addPage(setup, "TabSheet5", tr("Акселерометр")));
    buildSecurityPage(addPage(setup, "TabSheet6", tr("Безопасность")));
    buildControlZonePage(addPage(setup, "TabSheet10", tr("Контрольная зона")));
    buildMiscPage(addPage(setup, "TabSheet4", tr("Разное")));
}

void TForm1::buildButtonRow(QWidget *central)
{
    auto *readSetup = new QCheckBox(tr("Не считывать настройки "), central);
    readSetup->setObjectName(QStringLiteral("cbReadSetup"));
    readSetup->setFont(pixelFont(13));
    readSetup->setGeometry(56, 465, 177, 17);

    auto *progress = new QProgressBar(central);
    progress->setObjectName(QStringLiteral("pbProgress"));
    progress->setGeometry(kProgressBarGeometry);
    progress->setTextVisible(false);
    progress->hide();

    m_stop = new QPushButton(tr("Стоп"), central);
    m_stop->setObjectName(QStringLiteral("btStop"));
    m_stop->setGeometry(kStopGeometry);
    m_stop->setToolTip(tr("Остановить после текущего обмена (Esc)"));
    m_stop->hide();

    auto *openLog = new QPushButton(tr("Открыть Log"), central);
    openLog->setObjectName(QStringLiteral("btOpenLog"));
    openLog->setGeometry(357, 462, 75, 25);

    auto *save = new QPushButton(tr("Сохранить "), central);
    save->setObjectName(QStringLiteral("btSave"));
    save->setFont(pixelFont(13));
    save->setStyleSheet(QStringLiteral("QPushButton { color: rgb(255, 0, 0); }"));
    save->setGeometry(476, 462, 154, 24);
}

void TForm1::connectProgressBar()
{
    auto *bar = findChild<QProgressBar *>(QStringLiteral("pbProgress"));
    // The sequences run in this thread to their end without a return to the
    // event loop, so the bar is painted on the spot. Processing events here
    // instead would let clicks and timers into the middle of a read.
    SequenceProgress progress;
    progress.started = [this, bar](int total) {
        bar->setRange(0, std::max(total, 1));
        bar->setValue(0);
        bar->show();
        m_progressShown = true;
        showStop();
        bar->repaint();
    };
    progress.advanced = [bar](int done, int total) {
        bar->setMaximum(std::max(total, 1));
        bar->setValue(done);
        bar->repaint();
    };
    progress.finished = [this, bar] {
        bar->hide();
        m_progressShown = false;
        showStop();
    };
    m_configurator->reader().setProgress(progress);
    m_configurator->writer().setProgress(progress);
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutLogPane();
}

// Only the log pane follows the window's height, within its own limits.
void TForm1::layoutLogPane()
{
    if (!m_log || !centralWidget())
        return;
    const int height = qBound(kLogMinHeight, centralWidget()->height() - kLogTop, kLogMaxHeight);
    m_log->setGeometry(0, kLogTop, kLogWidth, height);
}

void TForm1::connectDeviceServices()
{
    const auto onClick = [this](const char *name, auto handler) {
        if (auto *button = findChild<QAbstractButton *>(QString::fromLatin1(name)))
            connect(button, &QAbstractButton::clicked, this, handler);
    };
    CommunicationTests &tests = m_configurator->tests();
    Configurator &core = *m_configurator;
    onClick("btTestSMTP", [&tests, &core] { core.clearStaleStop(); tests.btTestSMTPClick(); });
    onClick("btTestSMS", [&tests, &core] { core.clearStaleStop(); tests.btTestSMSClick(); });
    onClick("btSrvTest", [&tests, &core] { core.clearStaleStop(); tests.btSrvTestClick(); });
    onClick("btOnOffPIN", [&core] { core.btOnOffPINClick(); });
    onClick("btChangePIN", [&core] { core.btChangePINClick(); });
    onClick("edResetLockMp", [&core] { core.edResetLockMpClick(); });
}

void TForm1::connectProfileCommands()
{
    const auto onAction = [this](const char *name, auto handler) {
        if (auto *action = findChild<QAction *>(QString::fromLatin1(name)))
            connect(action, &QAction::triggered, this, handler);
    };
    Configurator &core = *m_configurator;
    onAction("N4", [&core] { core.N4Click(); });
    onAction("N5", [&core] { core.N5Click(); });
    m_binder->onUserChoice(F::cbProfile, [&core] {
        core.clearStaleStop();
        core.cbProfileChange();
    });
    // PageControl1Change: every switch the person makes between the
    // top-level pages rebuilds the summary, whichever page is shown; a page
    // the program selects leaves it as it is.
    new PersonsPageChoice(m_pages, [&core] { core.buildSettingsSummary(); });
    connect(&core, &Configurator::summaryBuilt, this, &TForm1::showSummary);
    const auto onClick = [this](const char *name, auto handler) {
        if (auto *button = findChild<QAbstractButton *>(QString::fromLatin1(name)))
            connect(button, &QAbstractButton::clicked, this, handler);
    };
    onClick("btSave", [&core] {
        core.clearStaleStop();
        core.btSaveClick();
    });
    onClick("btDefaultSetup", [&core] { core.btDefaultSetupClick(); });
}

void TForm1::showSummary(const SettingsSummary &summary)
{
    auto *pane = findChild<QTextEdit *>(QStringLiteral("All_param"));
    if (!pane)
        return;
    clearLines(pane);
    for (const SummaryRow &row : summary.rows())
        appendColouredLine(pane, row.line(), row.kind, row.plainLength());
    // A build stopped by a bad radius stays where its last line was.
    if (summary.complete()) {
        // The pane's own cursor too: the lines went in behind it, and a pane
        // first shown later (a build at connection, behind another page)
        // scrolls to its cursor.
        pane->moveCursor(QTextCursor::Start);
        pane->verticalScrollBar()->setValue(0);
        pane->horizontalScrollBar()->setValue(0);
    }
}

} // namespace kvmt
