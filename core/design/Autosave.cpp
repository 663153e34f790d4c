// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/Autosave.h"

#include "core/design/COrvaneDoc.h"
#include "core/files/AtomicWrite.h"
#include "core/files/ReadFile.h"
#include "core/files/XdgPaths.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::Autosave {

namespace {

// folder/name followed by a suffix.
std::string PathOf(const std::string& folder, const std::string& name, std::string_view suffix) {
    std::string path = folder;
    path.append("/").append(name).append(suffix);
    return path;
}

constexpr std::string_view kFirstLine = "Orvane autosave 1";
constexpr std::string_view kDesignSuffix = ".spk";
constexpr std::string_view kDescriptionSuffix = ".info";
constexpr std::string_view kLockSuffix = ".lock";
// A description is a few hundred bytes; anything far larger is no description.
constexpr std::size_t kMaxDescriptionBytes = 64 * 1024;
constexpr mode_t kPrivateFile = 0600;

FileResult Refused(int error, const std::string& folder, std::string_view why) {
    return FileResult::Fail(error, "autosave folder " + folder + " " + std::string(why));
}

std::string Escape(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || byte == '%') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        if (text.size() - i < 3)
            return std::nullopt;
        const auto [end, error] =
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
        if (error != std::errc() || end != text.data() + i + 3)
            return std::nullopt;
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

// "OWNER.N" and the suffix of a file of an entry, or nothing.
std::optional<std::pair<std::string, std::string_view>> EntryOf(std::string_view file) {
    for (const std::string_view suffix : {kDesignSuffix, kDescriptionSuffix}) {
        if (!file.ends_with(suffix))
            continue;
        const std::string_view name = file.substr(0, file.size() - suffix.size());
        const std::size_t dot = name.find('.');
        if (dot == std::string_view::npos || !IsOwnerName(name.substr(0, dot)))
            return std::nullopt;
        const std::string_view number = name.substr(dot + 1);
        if (number.empty() ||
            !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        return std::pair{std::string(name), suffix};
    }
    return std::nullopt;
}

// The names in the folder; none when it is missing or a symbolic link.
std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return names;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::string DefaultFolder() {
    return StateHome() + "/orvane/autosave";
}

bool IsOwnerName(std::string_view owner) {
    return !owner.empty() && std::all_of(owner.begin(), owner.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-';
    });
}

FileResult MakePrivateFolder(const std::string& folder) {
    if (folder.empty() || folder.front() != '/')
        return Refused(EINVAL, folder, "is not an absolute path");
    // Each missing folder on the way is made for the user alone, as the base
    // directory rules ask of the state folder itself.
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return Refused(errno, folder, std::string("cannot be made: ") + std::strerror(errno));
        if (slash == std::string::npos)
            break;
    }
    // Opened without following a link, so that what is checked is what is used.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat st {};
        if (::lstat(folder.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            return Refused(ELOOP, folder, "is a symbolic link");
        return Refused(error, folder, std::string("cannot be used: ") + std::strerror(error));
    }
    struct stat st {};
    FileResult result = FileResult::Success();
    if (::fstat(fd, &st) != 0)
        result = Refused(errno, folder, "cannot be used");
    else if (st.st_uid != ::geteuid())
        result = Refused(EPERM, folder, "belongs to another user");
    else if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0)
        result = Refused(errno, folder, "cannot be made private");
    ::close(fd);
    return result;
}

std::string DescriptionText(const Description& description) {
    return std::string(kFirstLine) + "\npath=" + Escape(description.path) +
           "\ntitle=" + Escape(description.title) +
           "\nsaved=" + std::to_string(description.savedAt) + "\n";
}

std::optional<Description> ParseDescription(std::string_view text) {
    if (!text.starts_with(kFirstLine) || !text.ends_with('\n'))
        return std::nullopt;
    std::map<std::string, std::string, std::less<>> values;
    std::string_view rest = text.substr(kFirstLine.size());
    if (!rest.starts_with('\n'))
        return std::nullopt;
    rest.remove_prefix(1);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        const std::optional<std::string> value = Unescape(line.substr(equals + 1));
        if (!value || !values.emplace(std::string(line.substr(0, equals)), *value).second)
            return std::nullopt;
    }
    const auto path = values.find("path");
    const auto title = values.find("title");
    const auto saved = values.find("saved");
    if (path == values.end() || title == values.end() || saved == values.end())
        return std::nullopt;
    Description description{path->second, title->second, 0};
    const std::string& time = saved->second;
    const auto [end, error] =
        std::from_chars(time.data(), time.data() + time.size(), description.savedAt);
    if (error != std::errc() || end != time.data() + time.size())
        return std::nullopt;
    return description;
}

FileResult Write(const std::string& folder, const std::string& name,
                 std::span<const std::uint8_t> design, const std::string& description) {
    // The design first: a description never names a design that is not there.
    for (const auto& [suffix, bytes] :
         {std::pair{kDesignSuffix, design},
          std::pair{kDescriptionSuffix,
                    std::span(reinterpret_cast<const std::uint8_t*>(description.data()),
                              description.size())}}) {
        const std::string path = PathOf(folder, name, suffix);
        if (const AtomicWriteResult written = WriteFileAtomically(path, bytes, kPrivateFile);
            !written)
            return FileResult::Fail(written.error, "autosave " + path + " not written: " +
                                                       std::strerror(written.error));
    }
    return FileResult::Success();
}

void Remove(const std::string& folder, const std::string& name) {
    for (const std::string_view suffix : {kDesignSuffix, kDescriptionSuffix})
        ::unlink(PathOf(folder, name, suffix).c_str());
}

std::vector<Entry> List(const std::string& folder) {
    std::map<std::string, std::vector<std::string_view>> files;
    for (const std::string& file : FileNames(folder)) {
        if (const auto entry = EntryOf(file))
            files[entry->first].push_back(entry->second);
    }
    std::vector<Entry> entries;
    for (const auto& [name, suffixes] : files) {
        Entry entry;
        entry.name = name;
        entry.owner = name.substr(0, name.find('.'));
        std::string text;
        if (ReadWholeFile(PathOf(folder, name, kDescriptionSuffix), kMaxDescriptionBytes, text) ==
            0)
            entry.description = ParseDescription(text);
        COrvaneDoc doc;
        const bool hasDesign =
            std::find(suffixes.begin(), suffixes.end(), kDesignSuffix) != suffixes.end();
        if (hasDesign) {
            if (const FileResult loaded = doc.Load(PathOf(folder, name, kDesignSuffix)); loaded)
                entry.design = doc.Design();
            else
                entry.problem = loaded.Message();
        } else {
            entry.problem = "The design is missing.";
        }
        if (!entry.description && entry.problem.empty())
            entry.problem = "Its description cannot be read.";
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> LockOwners(const std::string& folder) {
    std::vector<std::string> owners;
    for (const std::string& file : FileNames(folder)) {
        const std::string_view name(file);
        if (name.ends_with(kLockSuffix) &&
            IsOwnerName(name.substr(0, name.size() - kLockSuffix.size())))
            owners.emplace_back(name.substr(0, name.size() - kLockSuffix.size()));
    }
    return owners;
}

} // namespace orvane::Autosave
