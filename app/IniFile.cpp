// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/IniFile.h"

#include "core/files/AtomicWrite.h"
#include "core/numeric/Saturate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

namespace orvane {

namespace {

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool HasLineBreak(const QString& s) {
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

bool IsValidSectionName(const QString& name) {
    return !name.isEmpty() && !HasLineBreak(name) && !name.contains(QLatin1Char(']')) &&
           name.trimmed() == name;
}

bool IsValidKey(const QString& key) {
    if (key.isEmpty() || HasLineBreak(key) || key.contains(QLatin1Char('=')) ||
        key.trimmed() != key)
        return false;
    const QChar first = key.front();
    return first != QLatin1Char('[') && first != QLatin1Char(';') && first != QLatin1Char('#');
}

} // namespace

IniFile::IniFile() {
    ParseBytes(QByteArray());
}

IniFile::LoadResult IniFile::Load(const QString& path) {
    ParseBytes(QByteArray());
    // A link to a missing file counts as missing, as when opening it.
    const QFileInfo info(path);
    if (!info.exists())
        return LoadResult::Missing;
    // A folder, a device or a huge file under our name is not a settings file.
    QFile file(path);
    if (info.isFile() && info.size() > kMaxFileSize)
        return LoadResult::TooLarge;
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return LoadResult::Unreadable;
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        return LoadResult::TooLarge;
    if (file.error() != QFileDevice::NoError)
        return LoadResult::Unreadable;
    ParseBytes(bytes);
    return LoadResult::Loaded;
}

FileResult IniFile::Save(const QString& path) const {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        const int error = errno != 0 ? errno : EIO;
        return FileResult::Fail(error, std::strerror(error));
    }
    const QByteArray bytes = ToBytes();
    const AtomicWriteResult written = WriteFileAtomically(
        QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
    if (!written)
        return FileResult::Fail(written.error, std::strerror(written.error));
    return FileResult::Success();
}

void IniFile::ParseBytes(const QByteArray& bytes) {
    m_sections.clear();
    m_sections.push_back(Section{});
    m_byteOrderMark.clear();
    m_lineEnd = "\n";

    static const QByteArray kByteOrderMark = "\xEF\xBB\xBF";
    qsizetype pos = 0;
    if (bytes.startsWith(kByteOrderMark)) {
        m_byteOrderMark = kByteOrderMark;
        pos = kByteOrderMark.size();
    }
    bool endSeen = false;
    while (pos < bytes.size()) {
        Line line;
        const qsizetype lf = bytes.indexOf('\n', pos);
        if (lf < 0) {
            line.raw = bytes.mid(pos);
            pos = bytes.size();
        } else {
            line.raw = bytes.mid(pos, lf - pos);
            line.end = "\n";
            if (line.raw.endsWith('\r')) {
                line.raw.chop(1);
                line.end = "\r\n";
            }
            pos = lf + 1;
        }
        if (!endSeen && !line.end.isEmpty()) {
            m_lineEnd = line.end;
            endSeen = true;
        }
        AddLine(std::move(line));
    }
}

void IniFile::AddLine(Line line) {
    const QString text = QString::fromUtf8(line.raw);
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close > 0) {
            Section section;
            section.name = trimmed.mid(1, close - 1).trimmed();
            section.header = std::move(line);
            section.hasHeader = true;
            m_sections.push_back(std::move(section));
            return;
        }
        // "[name" without its bracket: kept as it stands, not a header.
    }
    const bool comment =
        trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (!comment && eq > 0) {
        const QString key = text.left(eq).trimmed();
        if (!key.isEmpty()) {
            line.isKey = true;
            line.key = key;
            line.value = DecodeValue(text.mid(eq + 1));
        }
    }
    m_sections.back().lines.push_back(std::move(line));
}

QByteArray IniFile::ToBytes() const {
    std::vector<const Line*> lines;
    for (const Section& section : m_sections) {
        if (section.hasHeader)
            lines.push_back(&section.header);
        for (const Line& line : section.lines)
            lines.push_back(&line);
    }
    QByteArray out = m_byteOrderMark;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += lines[i]->raw;
        // A last line without its end keeps it so, unless lines follow now.
        const bool last = i + 1 == lines.size();
        out += lines[i]->end.isEmpty() && !last ? m_lineEnd : lines[i]->end;
    }
    return out;
}

IniFile::Section* IniFile::FindSection(const QString& name) {
    for (Section& s : m_sections) {
        if (s.hasHeader && SameName(s.name, name))
            return &s;
    }
    return nullptr;
}

const IniFile::Section* IniFile::FindSection(const QString& name) const {
    for (const Section& s : m_sections) {
        if (s.hasHeader && SameName(s.name, name))
            return &s;
    }
    return nullptr;
}

bool IniFile::Contains(const QString& section, const QString& key) const {
    const Section* s = FindSection(section);
    if (s == nullptr)
        return false;
    for (const Line& line : s->lines) {
        if (line.isKey && SameName(line.key, key))
            return true;
    }
    return false;
}

QString IniFile::Value(const QString& section, const QString& key,
                       const QString& defaultValue) const {
    const Section* s = FindSection(section);
    if (s == nullptr)
        return defaultValue;
    for (const Line& line : s->lines) {
        if (line.isKey && SameName(line.key, key))
            return line.value;
    }
    return defaultValue;
}

int IniFile::IntValue(const QString& section, const QString& key, int defaultValue) const {
    if (!Contains(section, key))
        return defaultValue;
    const std::string text = Value(section, key).trimmed().toStdString();
    return ParseInt32Saturating(text).value_or(defaultValue);
}

bool IniFile::SetValue(const QString& section, const QString& key, const QString& value) {
    if (!IsValidSectionName(section) || !IsValidKey(key) || HasLineBreak(value))
        return false;
    Section* s = FindSection(section);
    if (s == nullptr) {
        // Keep a blank line between sections, as people write them.
        Section& last = m_sections.back();
        const bool hasContent = last.hasHeader || !last.lines.empty();
        if (hasContent && (last.lines.empty() || !last.lines.back().raw.trimmed().isEmpty()))
            last.lines.push_back(Line{{}, m_lineEnd, {}, {}, false});
        Section added;
        added.name = section;
        added.header.raw = (QLatin1Char('[') + section + QLatin1Char(']')).toUtf8();
        added.header.end = m_lineEnd;
        added.hasHeader = true;
        m_sections.push_back(std::move(added));
        s = &m_sections.back();
    }
    const QByteArray raw = (key + QLatin1Char('=') + EncodeValue(value)).toUtf8();
    for (Line& line : s->lines) {
        if (line.isKey && SameName(line.key, key)) {
            // An unchanged value keeps its line as written.
            if (line.value != value) {
                line.raw = raw;
                line.value = value;
            }
            return true;
        }
    }
    // After the section's last key, so blank lines and comments that close
    // the section stay at its end.
    auto insertAt = s->lines.begin();
    for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
        if (it->isKey || !it->raw.trimmed().isEmpty())
            insertAt = it + 1;
    }
    Line line;
    line.raw = raw;
    line.end = m_lineEnd;
    line.key = key;
    line.value = value;
    line.isKey = true;
    s->lines.insert(insertAt, std::move(line));
    return true;
}

void IniFile::SetIntValue(const QString& section, const QString& key, int value) {
    SetValue(section, key, QString::number(value));
}

void IniFile::RemoveKey(const QString& section, const QString& key) {
    Section* s = FindSection(section);
    if (s == nullptr)
        return;
    std::erase_if(s->lines,
                  [&](const Line& line) { return line.isKey && SameName(line.key, key); });
}

QStringList IniFile::Sections() const {
    QStringList names;
    for (const Section& s : m_sections) {
        if (s.hasHeader)
            names << s.name;
    }
    return names;
}

QStringList IniFile::Keys(const QString& section) const {
    QStringList keys;
    if (const Section* s = FindSection(section)) {
        for (const Line& line : s->lines) {
            if (line.isKey)
                keys << line.key;
        }
    }
    return keys;
}

QString IniFile::EncodeValue(const QString& value) {
    const bool quoted =
        value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
    if (value.trimmed() != value || quoted)
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

QString IniFile::DecodeValue(const QString& text) {
    QString value = text.trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace orvane
