#include "app/App_AtFiles.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The parts of a name between its "@" signs; false when a part is empty, "." or "..", since such
// a target would climb out of the current folder or name it from the root.
bool SplitAtName(const std::string& name, std::vector<std::string>& parts)
{
    size_t start = 0;
    while (true) {
        size_t at = name.find('@', start);
        std::string part = name.substr(start, at == std::string::npos ? std::string::npos : at - start);
        if (part.empty() || part == "." || part == "..") return false;
        parts.push_back(part);
        if (at == std::string::npos) return true;
        start = at + 1;
    }
}

// The stand-ins for the read-only, hidden and system attributes: a file without write permission
// for its owner is read-only, a name starting with "." is hidden; links and special files are
// never plain files.
bool IsPlainFile(const fs::directory_entry& entry)
{
    std::error_code error;
    fs::file_status status = entry.symlink_status(error);
    if (error || status.type() != fs::file_type::regular) return false;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
    std::string name = entry.path().filename().string();
    return !name.empty() && name[0] != '.';
}

} // namespace

bool MoveAtFile(const char* name)
{
    if (name == nullptr) return false;
    std::string text(name);
    if (text.find('@') == std::string::npos) return false;
    std::vector<std::string> parts;
    if (!SplitAtName(text, parts)) return false;

    fs::path target;
    std::error_code error;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        target /= parts[i];
        // A link among the folders could lead anywhere; only real folders are entered.
        if (fs::is_symlink(fs::symlink_status(target, error))) return false;
        fs::create_directory(target, error); // an existing folder is fine
    }
    target /= parts.back();
    // A rename would replace an existing target; the file stays where it is instead.
    if (fs::exists(fs::symlink_status(target, error))) return false;
    fs::rename(text, target, error);
    return !error;
}

void MoveAtFiles()
{
    std::error_code error;
    std::vector<std::string> names;
    for (fs::directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.find('@') != std::string::npos && IsPlainFile(*it)) names.push_back(name);
    }
    // Collected first: moving while the folder is being read could skip or repeat entries.
    for (const std::string& name : names)
        MoveAtFile(name.c_str());
}
