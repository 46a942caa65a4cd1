#pragma once

#include <QMainWindow>

#include <memory>
#include <optional>

#include "Configurator.h"
#include "shell/ProgramSettings.h"
#include "shell/Restart.h"

class QAction;
class QTextEdit;
class QPushButton;
class QTabWidget;

namespace kvmt {

class DeviceChangeWatcher;
class LogPane;
class SettingsBinder;
class TForm2;
class TurningWaiter;
class UserPrompts;

// The main window: a view of the Configurator. It lays out the controls,
// binds them to the settings model by name and forwards the person's
// commands; it holds no exchange or rule of its own.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    struct Options {
        QStringList libraryDirs;
        // Tests answer the dialogs; null: real message boxes.
        UserPrompts *prompts = nullptr;
        // Tests drive device notices themselves; off: no udev, no folder watch.
        bool watchDevices = true;
        // The command-line parameters, without the program's name.
        QStringList arguments = {};
        // The program's folder (MT.ini, automatic profile copies); empty:
        // no MT.ini is read or written, as in tests.
        QString exeDir = {};
        // Library calls wait on a worker thread while the window keeps
        // painting (the program); off, they block it (tests that script
        // what happens when).
        bool turnWhileWaiting = false;
    };

    explicit TForm1(Options options, QWidget *parent = nullptr);
    ~TForm1() override;

    Configurator &configurator() { return *m_configurator; }
    QTextEdit *logPane() const { return m_log; }
    TForm2 *logWindow() const { return m_form2; }
    bool consoleEnabled() const { return m_consoleEnabled; }
    // The interface language MT.ini and the system chose at showing.
    int languageId() const { return m_programSettings.languageId; }
    // Top, left, width and height as MT.ini keeps them: the window's place
    // with its frame and its inner size, which round-trip exactly.
    WindowGeometry currentGeometry() const;
    // What to start once the window has gone, when the person agreed to
    // restart for a new language.
    std::optional<LaunchCommand> restartOnExit() const { return m_restartOnExit; }

    static constexpr int kWidth = 723;
    static constexpr int kMinHeight = 665;
    static constexpr int kMaxHeight = 755;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Stop and Esc: the sequence under way ends after the exchange in
    // progress. Nothing runs, nothing to stop.
    void requestStop();
    bool sequenceRunning() const;
    void showStop();
    // While an exchange is waited for, the person's input goes nowhere but
    // to Stop (and Esc): nothing may change under a sequence or start
    // another inside it.
    bool holdsBackInput(QObject *watched, QEvent *event);
    // A mouse button event on its way to Stop.
    bool reachesStop(QObject *watched, QEvent *event) const;
    void FormShow();
    void FormClose();
    void FormDestroy();
    void readProgramSettings();
    void showVersionCaption();
    void applyLanguage(int languageId);
    void N3Click(QAction *item);
    void N2Click();
    void showChanges();
    void connectServiceControls();
    void openCdcLog();
    void runConsoleCommand();
    void buildHeader(QWidget *central);
    void buildPages(QWidget *central);
    void buildButtonRow(QWidget *central);
    // The bar in the button row follows every read and write, key by key.
    void connectProgressBar();
    void buildMenu();
    // The test and password buttons: each click is one call into the core.
    void connectDeviceServices();
    // Profile list, profile files, summary and factory values: each a call
    // into the core; the summary comes back as rows for the summary pane.
    void connectProfileCommands();
    void showSummary(const SettingsSummary &summary);
    void layoutLogPane();

    QTextEdit *m_log = nullptr;
    QTabWidget *m_pages = nullptr;
    QPushButton *m_stop = nullptr;
    bool m_progressShown = false;
    std::unique_ptr<LogPane> m_logPane;
    std::unique_ptr<UserPrompts> m_ownPrompts;
    // Declared before the configurator, whose link waits on it, so that it
    // outlives it.
    std::unique_ptr<TurningWaiter> m_waiter;
    std::unique_ptr<Configurator> m_configurator;
    std::unique_ptr<SettingsBinder> m_binder;
    std::unique_ptr<DeviceChangeWatcher> m_watcher;
    TForm2 *m_form2 = nullptr;
    bool m_consoleEnabled = false;
    QString m_exeDir;
    ProgramSettings m_programSettings;
    std::optional<MainFormGeometry> m_mainForm;
    bool m_settingsRead = false;
    UserPrompts *m_prompts = nullptr;
    QStringList m_arguments;
    std::optional<LaunchCommand> m_restartOnExit;
};

} // namespace kvmt
