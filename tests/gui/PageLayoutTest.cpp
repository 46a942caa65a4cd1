// Protects the look of the pages with the fonts the program runs with:
// no control is cut by its page or box, no two controls cover each other,
// and no caption is cut by its own control.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QStyleOptionGroupBox>

#include "WindowFixture.h"

namespace kvmt::test {
namespace {

const char *const kPages[] = {"TabSheet7", "GSMSetup", "TabSheet3", "TabSheet1", "TabSheet2",
                              "TabSheet5", "TabSheet6", "TabSheet10", "TabSheet4"};

QString describe(const QWidget *w)
{
    const QRect r = w->geometry();
    return QStringLiteral("%1 (%2,%3 %4x%5)").arg(w->objectName()).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The controls a page shows in its design state: named children of the
// page and of its group boxes (a control's own parts carry no names).
QList<QWidget *> shownControls(QWidget *container, QWidget *page)
{
    QList<QWidget *> controls;
    for (QWidget *child : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!child->objectName().isEmpty() && !child->objectName().startsWith(QLatin1String("qt_"))
            && child->isVisibleTo(page))
            controls.append(child);
    }
    return controls;
}

int titleBottom(QGroupBox *group)
{
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    return group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group).bottom();
}

// Room a control needs for its caption, or an empty size when it has none
// that could be cut.
QSize captionNeeds(QWidget *w)
{
    if (qobject_cast<QLabel *>(w) || (qobject_cast<QAbstractButton *>(w) && !w->inherits("QPushButton")))
        return w->sizeHint();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return {button->fontMetrics().horizontalAdvance(button->text()) + 8, button->fontMetrics().height()};
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return {group->fontMetrics().horizontalAdvance(group->title()) + 16, 0};
    return {};
}

void checkContainer(QWidget *container, QWidget *page)
{
    const QList<QWidget *> controls = shownControls(container, page);
    auto *group = qobject_cast<QGroupBox *>(container);
    const int top = group ? titleBottom(group) : 0;
    for (QWidget *w : controls) {
        EXPECT_TRUE(container->rect().contains(w->geometry()))
            << describe(w).toStdString() << " is cut by " << describe(container).toStdString();
        EXPECT_GT(w->y(), top) << describe(w).toStdString() << " covers the title of " << container->objectName().toStdString();
        const QSize needs = captionNeeds(w);
        EXPECT_LE(needs.width(), w->width()) << describe(w).toStdString() << " cuts its caption";
        EXPECT_LE(needs.height(), w->height()) << describe(w).toStdString() << " cuts its caption";
        if (auto *inner = qobject_cast<QGroupBox *>(w))
            checkContainer(inner, page);
    }
    // A profile's caption takes the place of its group's switch: the two are
    // never shown together.
    const auto sharePlace = [](const QWidget *a, const QWidget *b) {
        static const QList<QPair<QString, QString>> pairs = {
            {QStringLiteral("Label62"), QStringLiteral("cbOnlyGPSEn")},
            {QStringLiteral("Label63"), QStringLiteral("cbSentSMS")},
            {QStringLiteral("Label64"), QStringLiteral("cbSentServer")}};
        return pairs.contains({a->objectName(), b->objectName()}) || pairs.contains({b->objectName(), a->objectName()});
    };
    for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
            if (sharePlace(controls[i], controls[j]))
                continue;
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << describe(controls[i]).toStdString() << " overlaps " << describe(controls[j]).toStdString();
        }
    }
}

TEST_F(WindowTest, PagesShowEveryControlWholeAndApart)
{
    const auto checkPages = [this] {
        for (const char *name : kPages) {
            SCOPED_TRACE(name);
            QWidget *page = control(name);
            ASSERT_TRUE(page);
            showPage(page);
            checkContainer(page, page);
        }
    };
    checkPages();
    // The controls the design hides (the console row, the profile captions,
    // the SSL switch) get their room too, for when the program shows them.
    SCOPED_TRACE("every control shown");
    for (int i = 0; i < kFieldCount; ++i)
        model().setVisible(Field(i), true);
    checkPages();

    // A change Save would send puts its caption in bold, which is wider:
    // every member changed from the state before a load, gates of the newest
    // firmware open.
    SCOPED_TRACE("every change marked");
    TrackerIdentity &identity = window->configurator().identity();
    identity.serialNumber = 5001500;
    identity.firmwareVersion = 144;
    identity.accelerometerPresent = 1;
    window->configurator().pendingChanges().beforeFileLoad();
    std::vector<bool> wasChecked(kFieldCount);
    for (int i = 0; i < kFieldCount; ++i)
        wasChecked[size_t(i)] = model().isChecked(Field(i));
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        switch (DeviceSettings::info(field).kind) {
        case FieldKind::Text:
            model().setText(field, model().text(field) == QLatin1String("1") ? QStringLiteral("2") : QStringLiteral("1"));
            break;
        case FieldKind::Flag:
            model().setChecked(field, !wasChecked[size_t(i)]);
            break;
        case FieldKind::Radio:
            // Setting one button of a group clears the one that was set.
            if (!wasChecked[size_t(i)])
                model().setChecked(field, true);
            break;
        case FieldKind::Choice:
            model().setIndex(field, (model().index(field) + 1) % int(model().items(field).size()));
            break;
        case FieldKind::Control:
            break;
        }
    }
    QApplication::processEvents();
    int bold = 0;
    for (const QWidget *w : window->findChildren<QWidget *>())
        bold += w->font().bold() && !w->toolTip().isEmpty() ? 1 : 0;
    EXPECT_GT(bold, 60);
    checkPages();
}

// The profile layout moves its caption over the sending check box and gives
// it the profile's text; the longest of those must fit.
TEST_F(WindowTest, ProfileCaptionsHaveRoomForTheLongestText)
{
    const QString longest = QStringLiteral("Определять координаты с периодом");
    for (const char *name : {"Label62", "Label63", "Label64"}) {
        SCOPED_TRACE(name);
        auto *caption = control<QLabel>(name);
        EXPECT_LE(caption->fontMetrics().horizontalAdvance(longest), caption->width());
        // In its fixed place it must not run into the mode buttons.
        EXPECT_LT(24 + caption->width(), 342);
    }
}

TEST_F(WindowTest, ProfilePageKeepsTheDesignPositions)
{
    EXPECT_EQ(control("cbProfile")->geometry(), QRect(32, 22, 228, 24));
    const struct {
        const char *group;
        int top;
        const char *hours;
        const char *minutes;
    } channels[] = {{"gbGPSPeriod", 52, "edGPSHour", "edGPSMin"},
                    {"GroupBox1", 132, "edSMSHour", "edSMSMin"},
                    {"gbServerPeriod", 212, "edServerHour", "edServerMin"},
                    {"gbSMTPPeriod", 292, "edSMTPHour", "edSMTPMin"}};
    for (const auto &channel : channels) {
        SCOPED_TRACE(channel.group);
        EXPECT_EQ(control(channel.group)->geometry(), QRect(32, channel.top, 633, 74));
        EXPECT_EQ(control(channel.hours)->parentWidget(), control(channel.group));
        EXPECT_EQ(control(channel.hours)->geometry(), QRect(499, 39, 32, 24));
        EXPECT_EQ(control(channel.minutes)->geometry().topLeft(), QPoint(567, 39));
    }
}

} // namespace
} // namespace kvmt::test
