#include "TrackerFixture.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

namespace kvmt::test {

TrackerHome &TrackerHome::instance()
{
    static TrackerHome home;
    return home;
}

TrackerHome::TrackerHome()
{
    qputenv("KVTRACKER_HOME", QFile::encodeName(m_dir.path()));
    reset();
}

void TrackerHome::reset()
{
    QDir home(m_dir.path());
    for (const QString &entry : home.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        QFileInfo info(home.filePath(entry));
        if (info.isDir())
            QDir(info.filePath()).removeRecursively();
        else
            QFile::remove(info.filePath());
    }
    home.mkpath(QStringLiteral("attached"));
}

void TrackerHome::plug(const QString &scenarioText)
{
    QString serial = QStringLiteral("0");
    for (const QString &line : scenarioText.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("serial=")))
            serial = line.trimmed().mid(7);
    }
    // Plug order is file-name order: a running number first.
    ++m_plugged;
    const QString name = QStringLiteral("%1-%2.ini").arg(m_plugged + 1000, 4, 10, QLatin1Char('0')).arg(serial);
    QFile file(QDir(m_dir.path()).filePath(QStringLiteral("attached/") + name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << file.errorString().toStdString();
    file.write(scenarioText.toUtf8());
}

void TrackerHome::unplugAll()
{
    QDir attached(QDir(m_dir.path()).filePath(QStringLiteral("attached")));
    for (const QString &entry : attached.entryList(QDir::Files))
        attached.remove(entry);
}

void TrackerHome::unplug(const QString &serial)
{
    QDir attached(QDir(m_dir.path()).filePath(QStringLiteral("attached")));
    for (const QString &entry : attached.entryList({QStringLiteral("*-") + serial + QStringLiteral(".ini")}, QDir::Files))
        attached.remove(entry);
}

QStringList TrackerHome::commands(const QString &serial) const
{
    QFile file(QDir(m_dir.path()).filePath(QStringLiteral("trace/%1.log").arg(serial)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList commands;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("> "))
            commands.append(QString::fromLatin1(line.mid(2)));
    }
    return commands;
}

QString scenario(const QString &serial, const QString &version, const QStringList &extra)
{
    // Tests of logic want silence known at once; the few tests of waiting
    // itself turn silence_waits on again.
    QString text = QStringLiteral("[tracker]\nserial=%1\nversion=%2\naccelerometer=1\nprotected=0\n"
                                  "password=1234\nmaster=ABCDEFGHIJKLMNOP\ntrace=1\nsilence_waits=0\n")
                       .arg(serial, version);
    for (const QString &line : extra)
        text += line + QLatin1Char('\n');
    return text;
}

void TrackerTest::SetUp()
{
    home.reset();
}

void TrackerTest::openFirst()
{
    ASSERT_TRUE(library.load()) << library.lastError().toStdString();
    QList<QByteArray> names;
    ASSERT_EQ(link.listDevices(&names), 0);
    ASSERT_FALSE(names.isEmpty());
    ASSERT_EQ(link.openDevice(names.first()), 0);
}

} // namespace kvmt::test
