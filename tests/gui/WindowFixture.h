#pragma once

#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>

#include "QtPrinters.h"
#include "ScriptedPrompts.h"
#include "ui/TForm1.h"

namespace kvmt::test {

// The main window as the program builds it, without device watching, with
// its dialogs answered by the test.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TForm1::Options options;
        options.prompts = &prompts;
        options.watchDevices = false;
        window = std::make_unique<TForm1>(options);
        window->show();
    }

    DeviceSettings &model() { return window->configurator().settings(); }

    template<typename W = QWidget>
    W *control(const char *name) const
    {
        return window->findChild<W *>(QString::fromLatin1(name));
    }

    // Brings a page to the front through every tab level above it.
    void showPage(QWidget *widget)
    {
        for (QWidget *w = widget; w; w = w->parentWidget()) {
            QWidget *stack = w->parentWidget();
            auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
            if (tabs && tabs->indexOf(w) >= 0)
                tabs->setCurrentWidget(w);
        }
    }

    ScriptedPrompts prompts;
    std::unique_ptr<TForm1> window;
};

} // namespace kvmt::test
