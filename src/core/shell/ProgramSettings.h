#pragma once

#include <QString>

namespace kvmt {

// The main window's place and size as MT.ini keeps them: "top,left,width,height".
struct WindowGeometry {
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowGeometry &, const WindowGeometry &) = default;
};

// Reads "%d,%d,%d,%d" as scanf would: the numbers scanned before the first
// mismatch are kept, the rest stay 0. `complete` only when all four scanned.
struct GeometryScan {
    WindowGeometry geometry;
    bool complete = false;
};
GeometryScan scanGeometry(const QString &text);
QString formatGeometry(const WindowGeometry &geometry);

// Interface languages by their Windows primary language numbers, which
// tools of the maker's set understand too.
enum LanguageId : int {
    LanguageEnglish = 9,
    LanguageRussian = 25,
};
// The stored language name ("Russian"/"English", any case); anything else
// leaves the choice to the system's own interface language.
int chooseLanguageId(const QString &stored, bool systemIsRussian);

// What the program reads from MT.ini when its window is shown.
struct ProgramSettings {
    QString geometryText;     // COMMON/MainForm as found, empty when missing
    GeometryScan stored;      // scanned from geometryText
    int languageId = LanguageRussian;
};

// The program's settings file in `exeDir`. A missing file, section or key
// gives the defaults; nothing is reported.
QString programSettingsPath(const QString &exeDir);
ProgramSettings readProgramSettings(const QString &iniPath, bool systemIsRussian);

// Writes COMMON/MainForm only when the window was moved or resized since it
// was read: the file of a user who did neither is never touched. Returns
// whether the file now holds `current`; false when it could not be written
// (a folder without write access), which must never stop the program.
bool saveGeometryIfChanged(const QString &iniPath, const WindowGeometry &current, const WindowGeometry &stored);

// COMMON/Language as the language menu writes it ("Russian"/"English").
bool saveLanguage(const QString &iniPath, const QString &language);

// "KVMTConf 1.30": the program's name with the first two numbers of its version.
QString versionCaption(int major, int minor);

} // namespace kvmt
