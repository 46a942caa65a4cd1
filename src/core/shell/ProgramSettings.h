#pragma once

#include <QString>

#include <optional>

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

// MainForm holds the window's outer size, frame included, while a window
// is sized by its inside; the frame's width and height are what the window
// system adds. The frame may be known only once the window is on screen,
// so the exit compares the inside with what the start asked for: a window
// neither moved nor resized is never written, and sizes do not creep by a
// frame at every start.
class MainFormGeometry
{
public:
    explicit MainFormGeometry(const GeometryScan &stored)
        : m_stored(stored)
    {
    }
    // The inside to give the window at start, with the frame as known now;
    // nothing when the stored value did not scan whole.
    std::optional<WindowGeometry> insideAtStart(int frameWidth, int frameHeight);
    // The inside the window really took (its limits may have changed it).
    void startedAs(const WindowGeometry &inside) { m_startInside = inside; }
    // What the exit compares with the stored value: the stored value itself
    // when the window stands and measures as the start left it, else its
    // outer geometry now.
    WindowGeometry atExit(const WindowGeometry &inside, int frameWidth, int frameHeight) const;

private:
    GeometryScan m_stored;
    std::optional<WindowGeometry> m_startInside;
};

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
