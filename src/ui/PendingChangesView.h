#pragma once

#include <QDialog>
#include <QFont>
#include <QHash>
#include <QObject>

#include <vector>

#include "provision/WrittenValues.h"

class QTableWidget;

namespace kvmt {

class DeviceSettings;
class PendingChanges;
class SettingsBinder;

// Shows on the pages what Save would change: the caption of every member
// that differs from the tracker in bold, with the tracker's value as the
// tooltip of caption and field.
class ChangeMarks : public QObject
{
    Q_OBJECT

public:
    ChangeMarks(PendingChanges &changes, const DeviceSettings &settings, SettingsBinder &binder,
                QObject *parent = nullptr);

private:
    void show();
    void markCaption(QWidget *caption, bool marked);
    QString tipFor(Field field) const;

    PendingChanges &m_changes;
    const DeviceSettings &m_settings;
    SettingsBinder &m_binder;
    // Whether each tooltip was written for a hidden field.
    std::vector<bool> m_tipMasked;
    // The captions in bold, with the font and width the page gave them.
    struct Plain {
        QFont font;
        int width = 0;
    };
    QHash<QWidget *, Plain> m_boldCaptions;
};

// The "Changes" list: the keys Save would send that differ from the
// tracker, with the tracker's value and the new one. It only shows.
class ChangesDialog : public QDialog
{
    Q_OBJECT

public:
    ChangesDialog(PendingChanges &changes, const DeviceSettings &settings, QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }

private:
    QTableWidget *m_table = nullptr;
};

} // namespace kvmt
