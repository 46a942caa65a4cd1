#pragma once

#include <QMainWindow>

#include <memory>

#include "Configurator.h"

class QTextEdit;
class QTabWidget;

namespace kvmt {

class DeviceChangeWatcher;
class LogPane;
class SettingsBinder;
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
    };

    explicit TForm1(Options options, QWidget *parent = nullptr);
    ~TForm1() override;

    Configurator &configurator() { return *m_configurator; }
    QTextEdit *logPane() const { return m_log; }

    static constexpr int kWidth = 723;
    static constexpr int kMinHeight = 665;
    static constexpr int kMaxHeight = 755;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildHeader(QWidget *central);
    void buildPages(QWidget *central);
    void buildButtonRow(QWidget *central);
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
    std::unique_ptr<LogPane> m_logPane;
    std::unique_ptr<UserPrompts> m_ownPrompts;
    std::unique_ptr<Configurator> m_configurator;
    std::unique_ptr<SettingsBinder> m_binder;
    std::unique_ptr<DeviceChangeWatcher> m_watcher;
};

} // namespace kvmt
