// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/XdgPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace orvane {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool Absolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string Home() {
    std::string home = Env("HOME");
    if (Absolute(home))
        return WithoutTrailingSlashes(home);
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return WithoutTrailingSlashes(entry->pw_dir);
    return "/";
}

std::string BaseFolder(const char* variable, const char* fallbackUnderHome) {
    const std::string value = Env(variable);
    if (Absolute(value))
        return WithoutTrailingSlashes(value);
    const std::string home = Home();
    return (home == "/" ? "" : home) + fallbackUnderHome;
}

} // namespace

std::string ConfigHome() {
    return BaseFolder("XDG_CONFIG_HOME", "/.config");
}

std::string DataHome() {
    return BaseFolder("XDG_DATA_HOME", "/.local/share");
}

std::string StateHome() {
    return BaseFolder("XDG_STATE_HOME", "/.local/state");
}

std::vector<std::string> DataDirs() {
    std::vector<std::string> dirs;
    const std::string value = Env("XDG_DATA_DIRS");
    std::size_t start = 0;
    while (start <= value.size()) {
        const std::size_t end = value.find(':', start);
        const std::string entry =
            value.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (Absolute(entry))
            dirs.push_back(WithoutTrailingSlashes(entry));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (dirs.empty())
        dirs = {"/usr/local/share", "/usr/share"};
    return dirs;
}

} // namespace orvane
