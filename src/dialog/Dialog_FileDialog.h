// The open and save file dialogs: a "|"-separated filter (description|patterns|description|...,
// patterns ";"-separated), a default name, an initial folder and a title. Headless runs take the
// path from the scripted answers; with a display the desktop's chooser runs (zenity, else kdialog).
#pragma once

#include <string>
#include <vector>

struct FileDialogRequest {
    bool save = false;
    std::string filter;
    std::string defaultName;
    std::string folder; // empty: none
    std::string title;  // empty: none
};

struct FileFilter {
    std::string name;
    std::vector<std::string> patterns;
};

// The filter's pairs; a description without patterns is dropped.
std::vector<FileFilter> Dialog_ParseFilter(const std::string& filter);
// The save dialog's default extension: after the first "." that follows the first "|", up to the
// next separator ("|" or ";"); empty when there is none.
std::string Dialog_DefaultExtension(const std::string& filter);
// The chosen path; false when cancelled or no dialog could be shown.
bool Dialog_RunFileDialog(const FileDialogRequest& request, std::string& path);
// The desktop's chooser alone (no headless answers).
bool Dialog_RunDesktopFileDialog(const FileDialogRequest& request, std::string& path);
