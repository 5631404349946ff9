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

std::string StartPath(const FileDialogRequest& request)
{
    if (request.folder.empty()) return request.defaultName;
    std::string start = request.folder;
    if (start.back() != '/') start += '/';
    return start + request.defaultName;
}

std::vector<std::string> ZenityArguments(const FileDialogRequest& request)
{
    std::vector<std::string> arguments = {"zenity", "--file-selection"};
    if (request.save) {
        arguments.push_back("--save");
        arguments.push_back("--confirm-overwrite");
    }
    if (!request.title.empty()) arguments.push_back("--title=" + request.title);
    std::string start = StartPath(request);
    if (!start.empty()) arguments.push_back("--filename=" + start);
    for (const FileFilter& filter : Dialog_ParseFilter(request.filter))
        arguments.push_back("--file-filter=" + filter.name + " | " + Joined(filter.patterns, " "));
    return arguments;
}

std::vector<std::string> KdialogArguments(const FileDialogRequest& request)
{
    std::vector<std::string> arguments = {"kdialog"};
    if (!request.title.empty()) {
        arguments.push_back("--title");
        arguments.push_back(request.title);
    }
    arguments.push_back(request.save ? "--getsavefilename" : "--getopenfilename");
    std::string start = StartPath(request);
    arguments.push_back(start.empty() ? "." : start);
    std::vector<std::string> filters;
    for (const FileFilter& filter : Dialog_ParseFilter(request.filter))
        filters.push_back(Joined(filter.patterns, " ") + "|" + filter.name);
    if (!filters.empty()) arguments.push_back(Joined(filters, "\n"));
    return arguments;
}

// A saved file typed without an extension gets the filter's default one.
void AppendDefaultExtension(const FileDialogRequest& request, std::string& path)
{
    std::string extension = Dialog_DefaultExtension(request.filter);
    if (!request.save || extension.empty() || extension.find_first_of("*?") != std::string::npos) return;
    size_t slash = path.rfind('/');
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.find('.') == std::string::npos) path += "." + extension;
}

} // namespace

bool Dialog_RunDesktopFileDialog(const FileDialogRequest& request, std::string& path)
{
    std::string output;
    ChildResult result = Platform_RunAndRead(ZenityArguments(request), output);
    if (result == ChildResult::NotStarted) {
        output.clear();
        result = Platform_RunAndRead(KdialogArguments(request), output);
    }
    std::string chosen = Platform_FirstLine(output);
    if (result != ChildResult::Succeeded || chosen.empty()) return false;
    AppendDefaultExtension(request, chosen);
    path = chosen;
    return true;
}
