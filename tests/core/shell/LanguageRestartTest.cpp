// Protects the restart after a language change: what is started, with which
// arguments and in which folder, with and without the maker's updater.
#include "shell/Restart.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace kvmt;

namespace {

const QStringList kWithUpdater = {QStringLiteral("kvmtconf"), QStringLiteral("libKVUSB.so"),
                                  QStringLiteral("RWUpdate")};
const QStringList kWithoutUpdater = {QStringLiteral("kvmtconf"), QStringLiteral("libKVUSB.so")};

} // namespace

TEST(LanguageRestart, UpdaterGetsTheFolderThePathAndJustrestartInItsFolder)
{
    const LaunchCommand command =
        restartCommand(QStringLiteral("/opt/kvmt/kvmtconf"), kWithUpdater, {QStringLiteral("cmd")});
    EXPECT_EQ(command.program, QStringLiteral("/opt/kvmt/RWUpdate"));
    // The updater is not told the program's own parameters.
    EXPECT_EQ(command.arguments, (QStringList{QStringLiteral("/opt/kvmt"), QStringLiteral("/opt/kvmt/kvmtconf"),
                                              QStringLiteral("justrestart")}));
    EXPECT_EQ(command.workingDirectory, QStringLiteral("/opt/kvmt"));
}

TEST(LanguageRestart, FolderLosesItsTrailingSeparatorsButTheRootStaysAFolder)
{
    EXPECT_EQ(restartCommand(QStringLiteral("/opt/kvmt//kvmtconf"), kWithUpdater, {}).arguments.first(),
              QStringLiteral("/opt/kvmt"));
    const LaunchCommand atRoot = restartCommand(QStringLiteral("/kvmtconf"), kWithUpdater, {});
    EXPECT_EQ(atRoot.program, QStringLiteral("/RWUpdate"));
    EXPECT_EQ(atRoot.arguments, (QStringList{QStringLiteral("/"), QStringLiteral("/kvmtconf"),
                                             QStringLiteral("justrestart")}));
    EXPECT_EQ(atRoot.workingDirectory, QStringLiteral("/"));
}

TEST(LanguageRestart, PathsWithBlanksStayOneArgumentEach)
{
    const LaunchCommand command = restartCommand(QStringLiteral("/home/a b/KV MT/kvmtconf"), kWithUpdater, {});
    ASSERT_EQ(command.arguments.size(), 3);
    EXPECT_EQ(command.arguments[0], QStringLiteral("/home/a b/KV MT"));
    EXPECT_EQ(command.arguments[1], QStringLiteral("/home/a b/KV MT/kvmtconf"));
}

TEST(LanguageRestart, WithoutTheUpdaterTheProgramStartsAnewWithItsParameters)
{
    const LaunchCommand command =
        restartCommand(QStringLiteral("/opt/kvmt/kvmtconf"), kWithoutUpdater, {QStringLiteral("-cmd")});
    EXPECT_EQ(command, (LaunchCommand{QStringLiteral("/opt/kvmt/kvmtconf"), {QStringLiteral("-cmd")},
                                      QStringLiteral("/opt/kvmt")}));
    // The Windows updater's file cannot be run here, nor a name that only
    // resembles the updater's.
    for (const QString &other : {QStringLiteral("RWUpdate.exe"), QStringLiteral("rwupdate"),
                                 QStringLiteral("RWUpdate.ini")}) {
        EXPECT_EQ(restartCommand(QStringLiteral("/opt/kvmt/kvmtconf"), {QStringLiteral("kvmtconf"), other}, {})
                      .program,
                  QStringLiteral("/opt/kvmt/kvmtconf"))
            << other.toStdString();
    }
}
