// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace orvane {

// A small reader and writer for the settings file's section/key text format.
//
// Section and key names are kept exactly as written (QSettings would escape
// the spaces in "Recent File List"); lookups ignore letter case, as the
// format always has. Everything the program does not know about survives a
// rewrite untouched: unknown sections and keys, comments, blank lines, and
// lines that are not "key=value" at all. A missing, unreadable or malformed
// file is simply read as far as it makes sense and never reported as an error.
//
// Values are single lines. A value with leading or trailing blanks, or one
// that itself starts and ends with a double quote, is written in double quotes
// so it reads back exactly; surrounding quotes are removed when reading.
class IniFile {
public:
    enum class LoadResult {
        Loaded,    // the file was read (malformed lines are kept as they are)
        Missing,   // no such file: an empty settings file
        Unreadable // exists but could not be read, or is too large to be ours
    };

    // Files above this size are not settings files; they are left alone.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    IniFile();

    // Replaces the contents with the file's. Never throws, never fails loudly.
    LoadResult Load(const QString& path);
    // Writes atomically (temporary file, then rename), creating the folder if
    // needed. Returns false when the file could not be written.
    bool Save(const QString& path) const;

    // The same as text, for tests and for callers that hold the text already.
    void Parse(const QString& text);
    QString ToText() const;

    bool Contains(const QString& section, const QString& key) const;
    // The value of the first matching key in the first matching section.
    QString Value(const QString& section, const QString& key,
                  const QString& defaultValue = QString()) const;
    // Leading blanks, an optional sign and the digits that follow; anything
    // after them is ignored. No number at all gives defaultValue. Values
    // beyond the int range are clamped.
    int IntValue(const QString& section, const QString& key, int defaultValue = 0) const;

    // Sets the value, adding the section (at the end) and the key (after the
    // section's last key) when they are missing. Refuses names and values that
    // the format cannot hold (line breaks, '=' or a leading '[' in a key, ']'
    // in a section name, an empty key) and returns false for them.
    bool SetValue(const QString& section, const QString& key, const QString& value);
    void SetIntValue(const QString& section, const QString& key, int value);
    // Removes every entry of that key from the section.
    void RemoveKey(const QString& section, const QString& key);

    QStringList Sections() const;
    QStringList Keys(const QString& section) const;

private:
    struct Line {
        QString raw;   // the line as it will be written
        QString key;   // empty for comments, blank and malformed lines
        QString value; // decoded value of a key line
        bool isKey = false;
    };
    struct Section {
        QString name;
        QString headerRaw;      // the header line as read; empty for a section we added
        bool hasHeader = false; // false only for the lines before the first header
        std::vector<Line> lines;
    };

    Section* FindSection(const QString& name);
    const Section* FindSection(const QString& name) const;
    static QString EncodeValue(const QString& value);
    static QString DecodeValue(const QString& text);

    std::vector<Section> m_sections;
};

} // namespace orvane
