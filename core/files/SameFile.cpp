// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/SameFile.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

namespace orvane {

namespace {

// The resolved path of an existing file; empty when it cannot be resolved.
std::string Canonical(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

std::string Normal(const std::string& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec)
        absolute = path;
    std::string normal = absolute.lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

} // namespace

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty())
        return false;
    // One file under two hard links has no single resolved path.
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    const std::string canonicalA = Canonical(a);
    if (!canonicalA.empty() && canonicalA == Canonical(b))
        return true;
    return Normal(a) == Normal(b);
}

} // namespace orvane
