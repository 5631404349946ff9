// The desktop's file chooser: zenity, else kdialog, as a child process without a shell.
#include "dialog/Dialog_FileDialog.h"
#include "platform/posix/Platform_ChildProcess.h"

namespace {

std::string Joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

std::string StartPath(const FileDialogSpec& spec)
{
    if (spec.folder.empty()) return spec.defaultName;
    std::string start = spec.folder;
    if (start.back() != '/') start += '/';
    return start + spec.defaultName;
}

std::vector<std::string> ZenityArguments(const FileDialogSpec& spec)
{
    std::vector<std::string> arguments = {"zenity", "--file-selection"};
    if (spec.save) {
        arguments.push_back("--save");
        arguments.push_back("--confirm-overwrite");
    }
    if (!spec.title.empty()) arguments.push_back("--title=" + spec.title);
    std::string start = StartPath(spec);
    if (!start.empty()) arguments.push_back("--filename=" + start);
    for (const FileFilter& filter : Dialog_ParseFilter(spec.filter))
        arguments.push_back("--file-filter=" + filter.name + " | " + Joined(filter.patterns, " "));
    return arguments;
}

std::vector<std::string> KdialogArguments(const FileDialogSpec& spec)
{
    std::vector<std::string> arguments = {"kdialog"};
    if (!spec.title.empty()) {
        arguments.push_back("--title");
        arguments.push_back(spec.title);
    }
    arguments.push_back(spec.save ? "--getsavefilename" : "--getopenfilename");
    std::string start = StartPath(spec);
    arguments.push_back(start.empty() ? "." : start);
    std::vector<std::string> filters;
    for (const FileFilter& filter : Dialog_ParseFilter(spec.filter))
        filters.push_back(Joined(filter.patterns, " ") + "|" + filter.name);
    if (!filters.empty()) arguments.push_back(Joined(filters, "\n"));
    return arguments;
}

// A saved file typed without an extension gets the filter's default one.
void AppendDefaultExtension(const FileDialogSpec& spec, std::string& path)
{
    std::string extension = Dialog_DefaultExtension(spec.filter);
    if (!spec.save || extension.empty() || extension.find_first_of("*?") != std::string::npos) return;
    size_t slash = path.rfind('/');
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.find('.') == std::string::npos) path += "." + extension;
}

} // namespace

bool Dialog_RunDesktopFileDialog(const FileDialogSpec& spec, std::string& path)
{
    std::string output;
    ChildResult result = Platform_RunAndRead(ZenityArguments(spec), output);
    if (result == ChildResult::NotStarted) {
        output.clear();
        result = Platform_RunAndRead(KdialogArguments(spec), output);
    }
    std::string chosen = Platform_FirstLine(output);
    if (result != ChildResult::Succeeded || chosen.empty()) return false;
    AppendDefaultExtension(spec, chosen);
    path = chosen;
    return true;
}
