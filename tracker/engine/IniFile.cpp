#include "IniFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace kvtracker {

namespace {

std::string trim(const std::string &s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string IniFile::escape(const std::string &raw)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto byte = static_cast<unsigned char>(raw[i]);
        const bool edgeBlank = (byte == ' ' || byte == '\t') && (i == 0 || i + 1 == raw.size());
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F || edgeBlank) {
            out += "\\x";
            out += digits[byte >> 4];
            out += digits[byte & 0x0F];
        } else {
            // Bytes 0x80..0xFF stay raw: a Windows-1251 value remains
            // readable in a Windows-1251 editor. Only 0xFF runs (the no-PIN
            // value) are escaped, as they are invisible in most editors.
            if (byte == 0xFF) {
                out += "\\xFF";
            } else {
                out += static_cast<char>(byte);
            }
        }
    }
    return out;
}

std::string IniFile::unescape(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == '\\') {
            out += '\\';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && hexDigit(text[i + 2]) >= 0
                   && hexDigit(text[i + 3]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 2]) * 16 + hexDigit(text[i + 3]));
            i += 3;
        } else {
            // An unknown escape is kept as typed: scenario authors write
            // Windows paths or regular text with backslashes.
            out += '\\';
        }
    }
    return out;
}

IniFile IniFile::parse(const std::string &text)
{
    IniFile ini;
    std::string current;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string trimmed = trim(line);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#')
            continue;
        if (trimmed.front() == '[') {
            if (trimmed.back() != ']') {
                ini.errors_.push_back("line " + std::to_string(number) + ": unclosed section header");
                continue;
            }
            current = trim(trimmed.substr(1, trimmed.size() - 2));
            if (!ini.sections_.count(current))
                ini.order_.push_back(current);
            ini.sections_[current];
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            ini.errors_.push_back("line " + std::to_string(number) + ": expected key=value");
            continue;
        }
        const std::string key = trim(line.substr(0, eq));
        if (key.empty()) {
            ini.errors_.push_back("line " + std::to_string(number) + ": empty key");
            continue;
        }
        // The value keeps inner blanks; edge blanks are escaped when written.
        std::string rawValue = line.substr(eq + 1);
        const auto first = rawValue.find_first_not_of(" \t");
        rawValue = first == std::string::npos ? std::string() : rawValue.substr(first);
        const auto last = rawValue.find_last_not_of(" \t");
        rawValue = last == std::string::npos ? std::string() : rawValue.substr(0, last + 1);
        if (!ini.sections_.count(current))
            ini.order_.push_back(current);
        ini.sections_[current][key] = unescape(rawValue);
    }
    return ini;
}

std::optional<IniFile> IniFile::load(const std::string &path)
{
    const auto text = readWholeFile(path);
    if (!text)
        return std::nullopt;
    return parse(*text);
}

std::string IniFile::serialise() const
{
    std::string out;
    for (const auto &name : order_) {
        const auto it = sections_.find(name);
        if (it == sections_.end())
            continue;
        if (!out.empty())
            out += '\n';
        if (!name.empty())
            out += "[" + name + "]\n";
        for (const auto &[key, value] : it->second)
            out += key + "=" + escape(value) + "\n";
    }
    return out;
}

bool IniFile::save(const std::string &path) const
{
    return writeFileAtomically(path, serialise());
}

bool IniFile::hasSection(const std::string &section) const
{
    return sections_.count(section) != 0;
}

const IniFile::Section *IniFile::section(const std::string &name) const
{
    const auto it = sections_.find(name);
    return it == sections_.end() ? nullptr : &it->second;
}

std::optional<std::string> IniFile::value(const std::string &section, const std::string &key) const
{
    const auto s = sections_.find(section);
    if (s == sections_.end())
        return std::nullopt;
    const auto v = s->second.find(key);
    if (v == s->second.end())
        return std::nullopt;
    return v->second;
}

std::string IniFile::value(const std::string &section, const std::string &key, const std::string &fallback) const
{
    return value(section, key).value_or(fallback);
}

void IniFile::set(const std::string &section, const std::string &key, const std::string &value)
{
    if (!sections_.count(section))
        order_.push_back(section);
    sections_[section][key] = value;
}

bool writeFileAtomically(const std::string &path, const std::string &data)
{
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> readWholeFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

} // namespace kvtracker
