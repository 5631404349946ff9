// The desktop's file chooser for a game file: the open dialog of the dialog area, every file shown.
#include "dialog/Dialog_FileDialog.h"
#include "gamefile/GameFile_OpenDialog.h"

bool GameFile_RunFileChooser(const char* title, std::string& path)
{
    FileDialogRequest request;
    request.filter = "All Files (*.*)|*";
    request.title = title != nullptr ? title : "";
    return Dialog_RunDesktopFileDialog(request, path);
}
