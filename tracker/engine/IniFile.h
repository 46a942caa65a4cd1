// A small INI reader and writer for scenario and flash files.
//
// Values are 8-bit byte strings: the tracker stores Windows-1251 text and the
// no-PIN value (four 0xFF bytes), so nothing here assumes UTF-8. Bytes that
// cannot stand in a line (control bytes, a backslash, edge blanks) are written
// as \xHH or \\ escapes and read back exactly.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kvtracker {

class IniFile
{
public:
    using Section = std::map<std::string, std::string>;

    // Parses text; lines that are neither a section header, a key=value pair,
    // a comment (';' or '#') nor blank are collected in errors().
    static IniFile parse(const std::string &text);
    static std::optional<IniFile> load(const std::string &path);

    std::string serialise() const;
    // Writes through a temporary file and a rename, so a reader never sees
    // half a file (the configurator may list trackers at any moment).
    bool save(const std::string &path) const;

    bool hasSection(const std::string &section) const;
    const Section *section(const std::string &name) const;
    std::optional<std::string> value(const std::string &section, const std::string &key) const;
    std::string value(const std::string &section, const std::string &key, const std::string &fallback) const;
    void set(const std::string &section, const std::string &key, const std::string &value);
    const std::vector<std::string> &sectionNames() const { return order_; }
    const std::vector<std::string> &errors() const { return errors_; }

    static std::string escape(const std::string &raw);
    static std::string unescape(const std::string &text);

private:
    std::map<std::string, Section> sections_;
    std::vector<std::string> order_;
    std::vector<std::string> errors_;
};

// Writes data to path through a temporary file in the same folder and a
// rename. Returns false when any step fails.
bool writeFileAtomically(const std::string &path, const std::string &data);
std::optional<std::string> readWholeFile(const std::string &path);

} // namespace kvtracker
