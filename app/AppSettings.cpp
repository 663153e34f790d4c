// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppSettings.h"

#include "app/IniFile.h"
#include "app/SettingsPath.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <string>

namespace orvane {

AppSettings::AppSettings(QString path)
    : m_path(path.isEmpty() ? SettingsPath() : std::move(path)) {}

void AppSettings::Load() {
    IniFile ini;
    ini.Load(m_path);
    m_recent.ReadFrom(ini);
    m_previewPages = ini.IntValue(kSettingsSection, kPreviewPagesKey, 0);
    m_graph = GraphFromName(ini.Value(kSettingsSection, kGraphKey).toStdString());
    m_units = DisplayUnits::FromName(ini.Value(kSettingsSection, kUnitsKey).toStdString())
                  .value_or(UnitSystem::Imperial);
    constexpr int kDay = 24 * 60 * 60;
    const int seconds = ini.IntValue(kSettingsSection, kAutosaveKey, kDefaultAutosaveSeconds);
    m_autosaveSeconds = seconds >= 0 && seconds <= kDay ? seconds : kDefaultAutosaveSeconds;
}

FileResult AppSettings::Save() const {
    const std::string path = QFile::encodeName(m_path).toStdString();
    IniFile ini;
    const IniFile::LoadResult loaded = ini.Load(m_path);
    if (loaded == IniFile::LoadResult::TooLarge) {
        return FileResult::Fail(EFBIG, "settings not saved: " + path +
                                           " is over the settings file's size limit of " +
                                           std::to_string(IniFile::kMaxFileSize) + " bytes");
    }
    if (loaded == IniFile::LoadResult::Unreadable)
        return FileResult::Fail(EACCES, "settings not saved: " + path + " cannot be read");
    m_recent.WriteTo(ini);
    if (m_previewPages != 0)
        ini.SetIntValue(kSettingsSection, kPreviewPagesKey, m_previewPages);
    if (m_graph)
        ini.SetValue(kSettingsSection, kGraphKey, QString::fromUtf8(GraphName(*m_graph)));
    // A file without the key keeps its bytes while the units are the default.
    if (m_units != UnitSystem::Imperial || ini.Contains(kSettingsSection, kUnitsKey)) {
        const std::string_view name = DisplayUnits::Name(m_units);
        ini.SetValue(kSettingsSection, kUnitsKey,
                     QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }
    // Nothing to remember and no file yet: no need to create an empty one.
    if (loaded == IniFile::LoadResult::Missing && ini.ToBytes().isEmpty())
        return FileResult::Success();
    if (const FileResult saved = ini.Save(m_path); !saved) {
        const bool danglingLink = QFileInfo(m_path).isSymLink() && !QFileInfo::exists(m_path);
        const std::string why = danglingLink
                                    ? "it is a link to a missing file (" + saved.Message() + ")"
                                    : saved.Message();
        return FileResult::Fail(saved.ErrorCode(),
                                "settings not saved: cannot write " + path + ": " + why);
    }
    return FileResult::Success();
}

} // namespace orvane
