// The system's device notices on Windows: WM_DEVICECHANGE, of any type, as
// the system sends it to every top-level window. Two receivers: a native
// event filter sees the message arrive at the program's own windows (the main
// window), and a hidden top-level window of our own receives it where the
// program has no window (the command-line tool). Message-only windows, which
// Qt's event dispatcher uses, are left out of broadcasts.
#include "device/DeviceChangeWatcher.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>

namespace kvmt {

namespace {

const wchar_t kWindowClass[] = L"KVMTConfDeviceNotices";

LRESULT CALLBACK noticeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEVICECHANGE) {
        if (auto *notify = reinterpret_cast<std::function<void()> *>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            (*notify)();
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

class DeviceChangeWatcher::SystemNotices : public QAbstractNativeEventFilter
{
public:
    explicit SystemNotices(DeviceChangeWatcher &watcher)
        : m_notify([&watcher] { watcher.noticeArrived(); })
    {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = noticeWindowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kWindowClass;
        // A second watcher finds the class registered already.
        RegisterClassExW(&windowClass);
        m_window = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   instance, nullptr);
        if (m_window)
            SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_notify));
        if (QCoreApplication *app = QCoreApplication::instance())
            app->installNativeEventFilter(this);
    }

    ~SystemNotices() override
    {
        if (QCoreApplication *app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
        if (m_window)
            DestroyWindow(m_window);
    }

    bool active() const { return m_window != nullptr; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG *msg = static_cast<const MSG *>(message);
        // Our own window reports through its procedure.
        if (msg->message == WM_DEVICECHANGE && msg->hwnd != m_window)
            m_notify();
        // Qt and the window go on handling the message as before.
        return false;
    }

private:
    std::function<void()> m_notify;
    HWND m_window = nullptr;
};

DeviceChangeWatcher::DeviceChangeWatcher(QObject *parent)
    : QObject(parent)
    , m_system(std::make_unique<SystemNotices>(*this))
{
    // The virtual trackers' folder is watched on Windows too: a scenario
    // dropped there by hand is a plug as well as the control tool's broadcast.
    watchVirtualTrackers();
    connect(&m_files, &QFileSystemWatcher::directoryChanged, this, [this] {
        watchVirtualTrackers();
        noticeArrived();
    });
}

DeviceChangeWatcher::~DeviceChangeWatcher() = default;

bool DeviceChangeWatcher::hearsSystemNotices() const
{
    return m_system->active();
}

} // namespace kvmt
