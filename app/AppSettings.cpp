// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppSettings.h"

#include "app/IniFile.h"
#include "app/SettingsPath.h"

namespace orvane {

AppSettings::AppSettings(QString path)
    : m_path(path.isEmpty() ? SettingsPath() : std::move(path)) {}

void AppSettings::Load() {
    IniFile ini;
    ini.Load(m_path);
    m_recent.ReadFrom(ini);
    m_previewPages = ini.IntValue(kSettingsSection, kPreviewPagesKey, 0);
}

bool AppSettings::Save() const {
    IniFile ini;
    const IniFile::LoadResult loaded = ini.Load(m_path);
    if (loaded == IniFile::LoadResult::Unreadable)
        return false;
    m_recent.WriteTo(ini);
    if (m_previewPages != 0)
        ini.SetIntValue(kSettingsSection, kPreviewPagesKey, m_previewPages);
    // Nothing to remember and no file yet: no need to create an empty one.
    if (loaded == IniFile::LoadResult::Missing && ini.ToText().isEmpty())
        return true;
    return ini.Save(m_path);
}

} // namespace orvane
