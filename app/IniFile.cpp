// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <limits>

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
    Parse(QString());
}

IniFile::LoadResult IniFile::Load(const QString& path) {
    Parse(QString());
    QFile file(path);
    if (!file.exists())
        return LoadResult::Missing;
    // A folder, a device or a huge file under our name is not a settings file.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return LoadResult::Unreadable;
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize || file.error() != QFileDevice::NoError)
        return LoadResult::Unreadable;
    Parse(QString::fromUtf8(bytes));
    return LoadResult::Loaded;
}

bool IniFile::Save(const QString& path) const {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = ToText().toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void IniFile::Parse(const QString& input) {
    m_sections.clear();
    m_sections.push_back(Section{});

    QString text = input;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QStringList rawLines = text.split(QLatin1Char('\n'));
    // A final line break does not start another line.
    if (!rawLines.isEmpty() && rawLines.back().isEmpty())
        rawLines.removeLast();

    for (QString raw : rawLines) {
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        const QString trimmed = raw.trimmed();
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            if (close > 0) {
                Section section;
                section.name = trimmed.mid(1, close - 1).trimmed();
                section.headerRaw = raw;
                section.hasHeader = true;
                m_sections.push_back(std::move(section));
                continue;
            }
            // "[name" without its bracket: kept as it stands, not a header.
        }
        Line line;
        line.raw = raw;
        const bool comment =
            trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
        const qsizetype eq = raw.indexOf(QLatin1Char('='));
        if (!comment && eq > 0) {
            const QString key = raw.left(eq).trimmed();
            if (!key.isEmpty()) {
                line.isKey = true;
                line.key = key;
                line.value = DecodeValue(raw.mid(eq + 1));
            }
        }
        m_sections.back().lines.push_back(std::move(line));
    }
}

QString IniFile::ToText() const {
    QString out;
    for (const Section& section : m_sections) {
        if (section.hasHeader && !section.headerRaw.isEmpty())
            out += section.headerRaw + QLatin1Char('\n');
        else if (section.hasHeader)
            out += QLatin1Char('[') + section.name + QLatin1String("]\n");
        for (const Line& line : section.lines)
            out += line.raw + QLatin1Char('\n');
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
    const QString text = Value(section, key).trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const qsizetype firstDigit = i;
    long long magnitude = 0;
    constexpr long long kLimit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        if (magnitude <= kLimit)
            magnitude = magnitude * 10 + (text[i].unicode() - '0');
        ++i;
    }
    if (i == firstDigit)
        return defaultValue;
    const long long value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
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
            last.lines.push_back(Line{});
        Section added;
        added.name = section;
        added.hasHeader = true;
        m_sections.push_back(std::move(added));
        s = &m_sections.back();
    }
    const QString raw = key + QLatin1Char('=') + EncodeValue(value);
    for (Line& line : s->lines) {
        if (line.isKey && SameName(line.key, key)) {
            line.raw = raw;
            line.value = value;
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
