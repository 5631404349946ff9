#include "dialog/Dialog_FileDialog.h"

#include "base/Base_Console.h"
#include "graphics/Graphics_Device.h"
#include "platform/Platform_TestSwitches.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

bool HeadlessFileDialog(const FileDialogRequest& request, std::string& path)
{
    MainConsole->Output("Dialog %s file \"%s\": filter \"%s\" name \"%s\" folder \"%s\"\n", request.save ? "save" : "open",
                        request.title.c_str(), request.filter.c_str(), request.defaultName.c_str(), request.folder.c_str());
    std::string answer;
    if (!TestSwitches_NextAnswer(answer) || answer == "<cancel>") {
        MainConsole->Output("Dialog answer: Cancel\n");
        return false;
    }
    MainConsole->Output("Dialog answer: OK \"%s\"\n", answer.c_str());
    path = answer;
    return true;
}

} // namespace

std::vector<FileFilter> Dialog_ParseFilter(const std::string& filter)
{
    std::vector<FileFilter> filters;
    if (filter.empty()) return filters;
    std::vector<std::string> parts = Split(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter entry{parts[i], {}};
        for (const std::string& pattern : Split(parts[i + 1], ';'))
            if (!pattern.empty()) entry.patterns.push_back(pattern);
        if (!entry.patterns.empty()) filters.push_back(entry);
    }
    return filters;
}

std::string Dialog_DefaultExtension(const std::string& filter)
{
    size_t bar = filter.find('|');
    if (bar == std::string::npos) return "";
    size_t point = filter.find('.', bar + 1);
    if (point == std::string::npos) return "";
    size_t end = filter.find_first_of("|;", point + 1);
    return filter.substr(point + 1, end == std::string::npos ? std::string::npos : end - point - 1);
}

bool Dialog_RunFileDialog(const FileDialogRequest& request, std::string& path)
{
    GR_D3D_ApplyPendingReset();
    if (request.save) {
        std::string extension = Dialog_DefaultExtension(request.filter);
        if (!extension.empty()) MainConsole->Output("pDefExt = %s\n", extension.c_str());
    }
    if (TestSwitches_Get().headless) return HeadlessFileDialog(request, path);
    return Dialog_RunDesktopFileDialog(request, path);
}
