#include "ui/PendingChangesView.h"

#include "provision/PendingChanges.h"
#include "settings/DeviceSettings.h"
#include "ui/SettingsBinder.h"

#include <QDialogButtonBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kvmt {

namespace {

// A password the person has chosen not to see stays unseen here too.
bool keyMasked(Key key, const DeviceSettings &settings)
{
    const QList<Field> fields = KeyTable::fields(key);
    return std::any_of(fields.begin(), fields.end(), [&settings](Field f) { return settings.isMasked(f); });
}

const QString kHidden = QStringLiteral("••••••");

void setBold(QWidget *widget, bool bold)
{
    QFont font = widget->font();
    if (font.bold() == bold)
        return;
    font.setBold(bold);
    widget->setFont(font);
    // Bold is wider: the caption grows rather than lose its end.
    if (widget->sizeHint().width() > widget->width())
        widget->resize(widget->sizeHint().width(), widget->height());
}

} // namespace

ChangeMarks::ChangeMarks(PendingChanges &changes, const DeviceSettings &settings, SettingsBinder &binder,
                         QObject *parent)
    : QObject(parent)
    , m_changes(changes)
    , m_settings(settings)
    , m_binder(binder)
{
    connect(&m_changes, &PendingChanges::marksChanged, this, &ChangeMarks::show);
    show();
}

void ChangeMarks::show()
{
    // A caption may stand for several fields (hours and minutes): it is
    // bold while any of them is marked.
    QHash<QWidget *, QStringList> captions;
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        QWidget *widget = m_binder.widgetFor(field);
        if (!widget)
            continue;
        const bool marked = m_changes.isMarked(field);
        const QString tip = marked ? tipFor(field) : QString();
        widget->setToolTip(tip);
        if (QWidget *caption = m_binder.captionWidget(field)) {
            QStringList &tips = captions[caption];
            if (marked && !tips.contains(tip))
                tips.append(tip);
        }
    }
    for (auto it = captions.begin(); it != captions.end(); ++it) {
        setBold(it.key(), !it.value().isEmpty());
        it.key()->setToolTip(it.value().join(u'\n'));
    }
}

QString ChangeMarks::tipFor(Field field) const
{
    if (m_changes.isUnanswered(field))
        return tr("Трекер не ответил при чтении: его значение неизвестно");
    QString value;
    if (m_settings.isMasked(field)) {
        value = kHidden;
    } else {
        const FieldKind kind = DeviceSettings::info(field).kind;
        value = m_changes.referenceText(field);
        if (kind == FieldKind::Flag || kind == FieldKind::Radio)
            value = value == QLatin1String("1") ? tr("включено") : tr("выключено");
        else if (value.isEmpty())
            value = tr("(пусто)");
    }
    return m_changes.reference() == PendingChanges::Reference::Tracker ? tr("В трекере: %1").arg(value)
                                                                        : tr("До загрузки файла: %1").arg(value);
}

ChangesDialog::ChangesDialog(PendingChanges &changes, const DeviceSettings &settings, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ChangesDialog"));
    setWindowTitle(tr("Изменения"));
    auto *layout = new QVBoxLayout(this);
    auto *note = new QLabel(this);
    note->setObjectName(QStringLiteral("ChangesNote"));
    note->setWordWrap(true);
    layout->addWidget(note);

    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("ChangesTable"));
    m_table->setHorizontalHeaderLabels({tr("Параметр"), tr("В трекере"), tr("Будет записано")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);

    const QList<KeyDifference> found = changes.differences();
    if (changes.reference() != PendingChanges::Reference::Tracker) {
        note->setText(tr("Настройки трекера не считаны: сравнивать не с чем."));
    } else if (found.isEmpty()) {
        note->setText(tr("Сохранение ничего не изменит: все параметры совпадают с трекером."));
    } else {
        note->setText(tr("Сохранение запишет в трекер параметров, отличных от считанных: %1").arg(found.size()));
    }
    m_table->setVisible(!found.isEmpty() && changes.reference() == PendingChanges::Reference::Tracker);
    for (const KeyDifference &difference : found) {
        if (changes.reference() != PendingChanges::Reference::Tracker)
            break;
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        const bool hidden = keyMasked(difference.key, settings);
        const QString held = difference.heldUnknown ? QStringLiteral("?")
                           : hidden                 ? kHidden
                                                    : displayValue(difference.key, difference.held);
        m_table->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(KeyTable::name(difference.key))));
        auto *heldItem = new QTableWidgetItem(held);
        if (difference.heldUnknown)
            heldItem->setToolTip(tr("Трекер не ответил на этот параметр при чтении"));
        m_table->setItem(row, 1, heldItem);
        m_table->setItem(row, 2,
                         new QTableWidgetItem(hidden ? kHidden : displayValue(difference.key, difference.written)));
    }
    m_table->resizeColumnsToContents();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // As tall as the list needs, up to what a laptop's screen spares.
    static constexpr int kMaxRowsShown = 14;
    const int rowsShown = std::min<int>(m_table->rowCount(), kMaxRowsShown);
    const int tableHeight = m_table->horizontalHeader()->sizeHint().height()
                          + rowsShown * m_table->verticalHeader()->defaultSectionSize() + 2 * m_table->frameWidth();
    if (m_table->rowCount() <= kMaxRowsShown)
        m_table->setFixedHeight(tableHeight);
    else
        m_table->setMinimumHeight(tableHeight);
    resize(std::max(520, m_table->horizontalHeader()->length() + 40), sizeHint().height());
}

} // namespace kvmt
