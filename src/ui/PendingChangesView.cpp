#include "ui/PendingChangesView.h"

#include "provision/PendingChanges.h"
#include "settings/DeviceSettings.h"
#include "ui/SettingsBinder.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
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

QString captionText(const QWidget *caption)
{
    if (auto *label = qobject_cast<const QLabel *>(caption))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(caption))
        return button->text();
    return {};
}

// How wide the caption may grow: up to the next control on its row, or to
// its page's or box's edge. A control that already shares its place (a
// profile's caption over the switch it replaces) is no limit.
int roomFor(const QWidget *caption)
{
    static constexpr int kGap = 4;
    const QWidget *parent = caption->parentWidget();
    const QRect at = caption->geometry();
    int right = parent->width() - kGap;
    for (const QWidget *other : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRect r = other->geometry();
        if (other != caption && !r.intersects(at) && r.left() > at.left() && r.top() <= at.bottom()
            && r.bottom() >= at.top())
            right = std::min(right, r.left() - kGap);
    }
    return std::max(right - at.left(), at.width());
}

// Bold is wider. The caption grows into the room it has; where that is too
// little, its letters close up rather than run into the field or lose the
// caption's end.
void embolden(QWidget *caption)
{
    QFont font = caption->font();
    font.setBold(true);
    caption->setFont(font);
    const int room = roomFor(caption);
    const qsizetype letters = std::max<qsizetype>(captionText(caption).size(), 1);
    qreal spacing = 0;
    // Rounding of the advances may leave a pixel over: a second pass takes it.
    for (int pass = 0; pass < 3 && caption->sizeHint().width() > room; ++pass) {
        spacing -= qreal(caption->sizeHint().width() - room) / qreal(letters);
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        caption->setFont(font);
    }
    caption->resize(std::clamp(caption->sizeHint().width(), caption->width(), room), caption->height());
}

} // namespace

ChangeMarks::ChangeMarks(PendingChanges &changes, const DeviceSettings &settings, SettingsBinder &binder,
                         QObject *parent)
    : QObject(parent)
    , m_changes(changes)
    , m_settings(settings)
    , m_binder(binder)
    , m_tipMasked(kFieldCount, false)
{
    connect(&m_changes, &PendingChanges::marksChanged, this, &ChangeMarks::show);
    // A password hidden again must take its value out of the tooltip at once.
    connect(&m_settings, &DeviceSettings::fieldChanged, this, [this](Field field) {
        if (m_changes.isMarked(field) && m_settings.isMasked(field) != m_tipMasked[size_t(field)])
            show();
    });
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
        m_tipMasked[size_t(field)] = m_settings.isMasked(field);
        const QString tip = marked ? tipFor(field) : QString();
        widget->setToolTip(tip);
        if (QWidget *caption = m_binder.captionWidget(field)) {
            QStringList &tips = captions[caption];
            if (marked && !tips.contains(tip))
                tips.append(tip);
        }
    }
    // A label shown or hidden since may have stopped being a caption.
    for (QWidget *bold : m_boldCaptions.keys()) {
        if (!captions.contains(bold)) {
            markCaption(bold, false);
            bold->setToolTip({});
        }
    }
    for (auto it = captions.begin(); it != captions.end(); ++it) {
        markCaption(it.key(), !it.value().isEmpty());
        it.key()->setToolTip(it.value().join(u'\n'));
    }
}

void ChangeMarks::markCaption(QWidget *caption, bool marked)
{
    const auto bold = m_boldCaptions.find(caption);
    if (marked == (bold != m_boldCaptions.end()))
        return;
    if (marked) {
        m_boldCaptions.insert(caption, {caption->testAttribute(Qt::WA_SetFont) ? caption->font() : QFont(),
                                        caption->width()});
        embolden(caption);
        return;
    }
    // Back as the page drew it: an inherited font is inherited again.
    caption->setFont(bold->font);
    caption->resize(bold->width, caption->height());
    m_boldCaptions.erase(bold);
}

QString ChangeMarks::tipFor(Field field) const
{
    if (m_changes.isUnanswered(field))
        return tr("Трекер не ответил при чтении: его значение неизвестно");
    const bool againstTracker = m_changes.reference() == PendingChanges::Reference::Tracker;
    // A hidden password is not shown by resting the pointer on it either.
    if (m_settings.isMasked(field))
        return againstTracker ? tr("Отличается от значения в трекере") : tr("Изменено загрузкой файла");
    const FieldKind kind = DeviceSettings::info(field).kind;
    QString value = m_changes.referenceText(field);
    if (kind == FieldKind::Flag || kind == FieldKind::Radio)
        value = value == QLatin1String("1") ? tr("включено") : tr("выключено");
    else if (value.isEmpty())
        value = tr("(пусто)");
    return againstTracker ? tr("В трекере: %1").arg(value) : tr("До загрузки файла: %1").arg(value);
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

    const bool read = changes.reference() == PendingChanges::Reference::Tracker;
    // Against a file's load without a tracker there is no write to list.
    const QList<KeyDifference> found = read ? changes.differences() : QList<KeyDifference>{};
    if (!read) {
        note->setText(tr("Настройки трекера не считаны: сравнивать не с чем."));
    } else if (found.isEmpty()) {
        note->setText(tr("Сохранение ничего не изменит: все параметры совпадают с трекером."));
    } else {
        note->setText(tr("Сохранение запишет в трекер параметров, отличных от считанных: %1").arg(found.size()));
    }
    m_table->setVisible(!found.isEmpty());
    for (const KeyDifference &difference : found) {
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

    // Named here, not by the toolkit: its own translations may be missing.
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close = buttons->addButton(tr("Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("ChangesClose"));
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
