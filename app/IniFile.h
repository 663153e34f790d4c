// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/files/FileResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace orvane {

// A small reader and writer for the settings file's section/key text format.
//
// Section and key names are kept exactly as written (QSettings would escape
// the spaces in "Recent File List"); lookups ignore letter case, as the
// format always has. Everything the program does not change survives a
// rewrite byte for byte: unknown sections and keys, comments, blank lines,
// lines that are not "key=value" at all or not UTF-8, a byte order mark, each
// line's own ending (LF or CR LF) and a missing final line break. Lines the
// program adds take the file's line ending. A missing, unreadable or
// malformed file is simply read as far as it makes sense.
//
// Values are single lines. A value with leading or trailing blanks, or one
// that itself starts and ends with a double quote, is written in double quotes
// so it reads back exactly; surrounding quotes are removed when reading.
class IniFile {
public:
    enum class LoadResult {
        Loaded,    // the file was read (malformed lines are kept as they are)
        Missing,   // no such file: an empty settings file
        TooLarge,  // larger than kMaxFileSize: not a settings file of ours
        Unreadable // exists but could not be read (a folder, no permission)
    };

    // Files above this size are not settings files; they are left alone.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    IniFile();

    // Replaces the contents with the file's. Never throws, never fails loudly.
    LoadResult Load(const QString& path);
    // Writes through WriteFileAtomically, creating the folder if needed: on
    // any failure the file on disk stays as it was and the result says why.
    FileResult Save(const QString& path) const;

    // The file's bytes, both ways.
    void ParseBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;
    // The same as UTF-8 text, for callers that hold text.
    void Parse(const QString& text) { ParseBytes(text.toUtf8()); }
    QString ToText() const { return QString::fromUtf8(ToBytes()); }

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
        QByteArray raw; // the line's bytes as they will be written, without its end
        QByteArray end; // "\n", "\r\n", or empty for a last line without one
        QString key;    // empty for comments, blank and malformed lines
        QString value;  // decoded value of a key line
        bool isKey = false;
    };
    struct Section {
        QString name;
        Line header;            // the header line (raw empty until written for an added one)
        bool hasHeader = false; // false only for the lines before the first header
        std::vector<Line> lines;
    };

    void AddLine(Line line);
    Section* FindSection(const QString& name);
    const Section* FindSection(const QString& name) const;
    static QString EncodeValue(const QString& value);
    static QString DecodeValue(const QString& text);

    std::vector<Section> m_sections;
    QByteArray m_byteOrderMark;  // kept at the start when the file had one
    QByteArray m_lineEnd = "\n"; // for lines the program adds: the file's first ending
};

} // namespace orvane
