// Steam cloud files, workshop publishing and screenshots.
#include "steam/Steam_RemoteStorage.h"

#include <algorithm>
#include <cstring>

#include "base/Base_Console.h"
#include "base/Base_Numbers.h"
#include "base/Base_Text.h"
#include "platform/Platform_MemoryManager.h"
#include "steam/Steam_Layer.h"
#include "support/Support_SaveArea.h"

namespace {

constexpr int32_t PATH_SIZE = 1024;

class RemoteStorageCallbacks {
  public:
    void OnPublishFileResult(RemoteStoragePublishFileResult_t* record, bool ioFailure);
};

struct PublishState {
    RemoteStorageCallbacks owner;
    CCallResult<RemoteStorageCallbacks, RemoteStoragePublishFileResult_t>* call = nullptr;
    bool inProgress = false;
    bool shareFailed = false;
    int32_t pendingShares = 0;
    char* file = nullptr;
    char* preview = nullptr;
    char* title = nullptr;
    char* description = nullptr;
};
PublishState g_Publish;

class ScreenshotCallbacks {
  public:
    ScreenshotCallbacks() : m_Requested(this, &ScreenshotCallbacks::OnScreenshotRequested) {}
    void OnScreenshotRequested(ScreenshotRequested_t*) { m_bRequested = true; }
    CCallback<ScreenshotCallbacks, ScreenshotRequested_t> m_Requested;
    bool m_bRequested = false;
};
ScreenshotCallbacks* g_pScreenshots = nullptr;

void Workshop_OnFileShared(const RemoteStorageFileShareResult_t& record, bool ioFailure);

// One per share request; it frees itself once its answer is logged.
class CFileShareResultHandler {
  public:
    void OnFileShareResult(RemoteStorageFileShareResult_t* record, bool ioFailure)
    {
        if (ioFailure) MainConsole->Output("File share failed : IO Failure\n");
        else if (record->m_eResult == k_EResultOK) MainConsole->Output("File share success\n");
        else MainConsole->Output("File share failed with error: %d\n", record->m_eResult);
        delete this;
    }
    void OnWorkshopFileShared(RemoteStorageFileShareResult_t* record, bool ioFailure)
    {
        Workshop_OnFileShared(*record, ioFailure);
        delete this;
    }
    CCallResult<CFileShareResultHandler, RemoteStorageFileShareResult_t> m_Call;
};

typedef void (CFileShareResultHandler::*ShareHandler)(RemoteStorageFileShareResult_t*, bool);

// Shares the file with a new handler; false, with nothing left behind, when Steam refused at once.
bool Share(ISteamRemoteStorage* storage, const char* name, ShareHandler method)
{
    SteamAPICall_t call = storage->FileShare(name);
    if (call == k_uAPICallInvalid) {
        MainConsole->Output("File share failed: Steam refused to share %s\n", name);
        return false;
    }
    auto* handler = new CFileShareResultHandler();
    handler->m_Call.Set(call, handler, method);
    return true;
}

void Replace(char** owned, const char* text)
{
    MemoryManager::Free(*owned);
    *owned = String_Copy(text);
}

void FreeTexts()
{
    Replace(&g_Publish.file, nullptr);
    Replace(&g_Publish.preview, nullptr);
    Replace(&g_Publish.title, nullptr);
    Replace(&g_Publish.description, nullptr);
}

void Publish()
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    ISteamUtils* utils = Steam_Utils();
    SteamAPICall_t call = storage != nullptr && g_Publish.call != nullptr
                              ? storage->PublishWorkshopFile(g_Publish.file, g_Publish.preview,
                                                             utils != nullptr ? utils->GetAppID() : 0, g_Publish.title,
                                                             g_Publish.description,
                                                             k_ERemoteStoragePublishedFileVisibilityPublic, nullptr,
                                                             k_EWorkshopFileTypeCommunity)
                              : k_uAPICallInvalid;
    if (call == k_uAPICallInvalid) {
        MainConsole->Output("Error publishing to workshop - Steam refused the call\n");
        g_Publish.inProgress = false;
        return;
    }
    g_Publish.call->Set(call, &g_Publish.owner, &RemoteStorageCallbacks::OnPublishFileResult);
}

void Workshop_OnFileShared(const RemoteStorageFileShareResult_t& record, bool ioFailure)
{
    if (record.m_eResult == k_EResultOK && !ioFailure) {
        MainConsole->Output("File share success\n");
    } else {
        if (ioFailure) MainConsole->Output("File share failed: IO Failure\n");
        else MainConsole->Output("File share failed with error: %d\n", record.m_eResult);
        g_Publish.shareFailed = true;
    }
    if (--g_Publish.pendingShares > 0) return;
    if (g_Publish.shareFailed) {
        g_Publish.inProgress = false;
        return;
    }
    Publish();
}

void RemoteStorageCallbacks::OnPublishFileResult(RemoteStoragePublishFileResult_t* record, bool ioFailure)
{
    if (record->m_eResult == k_EResultOK && !ioFailure) MainConsole->Output("workshop publish success\n");
    else MainConsole->Output("Error publishing to workshop - error code %d\n", record->m_eResult);
    g_Publish.inProgress = false;
}

// The file's path in the save area, else beside the program; false when it is in neither.
bool LocalPath(const char* name, char* path)
{
    if (LoadSave_FileExistsSaveArea(name)) LoadSave_SaveAreaPath(path, PATH_SIZE, name);
    else if (LoadSave_FileExistsBundle(name)) LoadSave_BundlePath(path, PATH_SIZE, name);
    else return false;
    return true;
}

double Truth(bool value)
{
    return value ? 1 : 0;
}

} // namespace

void RemoteStorage_Init()
{
    g_Publish.call = new CCallResult<RemoteStorageCallbacks, RemoteStoragePublishFileResult_t>();
    g_Publish.inProgress = false;
}

void RemoteStorage_Shutdown()
{
    delete g_Publish.call;
    g_Publish.call = nullptr;
    FreeTexts();
}

void Screenshots_Init()
{
    g_pScreenshots = new ScreenshotCallbacks();
    if (ISteamScreenshots* screenshots = Steam_Screenshots()) screenshots->HookScreenshots(true);
}

void Screenshots_Shutdown()
{
    delete g_pScreenshots;
    g_pScreenshots = nullptr;
}

double Steam_IsCloudEnabledForApp()
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return Truth(storage != nullptr && storage->IsCloudEnabledForApp());
}

double Steam_IsCloudEnabledForAccount()
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return Truth(storage != nullptr && storage->IsCloudEnabledForAccount());
}

double Steam_FilePersisted(const char* name)
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return Truth(storage != nullptr && storage->FilePersisted(name));
}

double Steam_GetQuotaTotal()
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    int32_t total = 0;
    int32_t available = 0;
    if (storage != nullptr) storage->GetQuota(&total, &available);
    return total;
}

double Steam_GetQuotaFree()
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    int32_t total = 0;
    int32_t available = 0;
    if (storage != nullptr) storage->GetQuota(&total, &available);
    return available;
}

double Steam_FileWrite(const char* name, const void* data, int32_t available, double size)
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    if (storage == nullptr) return 0;
    int32_t bytes = std::min(Numbers_TruncToInt32(size), std::max(available, 0));
    storage->FileForget(name);
    if (!storage->FileWrite(name, data, bytes)) return 0;
    storage->SetSyncPlatforms(name, k_ERemoteStoragePlatformAll);
    return 1;
}

double Steam_FileWriteFile(const char* cloudName, const char* localName)
{
    char path[PATH_SIZE];
    if (!LocalPath(localName, path)) {
        MainConsole->Output("Failed to find local file %s\n", localName);
        return 0;
    }
    int32_t length = 0;
    uint8_t* data = LoadSave_ReadWholeFile(path, &length);
    if (data == nullptr) {
        MainConsole->Output("ERROR!!! :: Failed to open file: %s\n", path);
        return 0;
    }
    double written = Steam_FileWrite(cloudName, data, length, length);
    MemoryManager::Free(data);
    return written;
}

char* Steam_FileRead(const char* name)
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    if (storage == nullptr) return nullptr;
    if (!storage->FileExists(name)) {
        MainConsole->Output("File read failed: file does not exist\n");
        return nullptr;
    }
    int32_t size = storage->GetFileSize(name);
    if (size <= 0) return nullptr;
    auto* buffer = static_cast<char*>(MEM_ALLOC(size_t(size) + 1, true));
    if (storage->FileRead(name, buffer, size) != size) {
        MemoryManager::Free(buffer);
        return nullptr;
    }
    buffer[size] = 0;
    return buffer;
}

double Steam_FileDelete(const char* name)
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return Truth(storage != nullptr && storage->FileDelete(name));
}

double Steam_FileExists(const char* name)
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return Truth(storage != nullptr && storage->FileExists(name));
}

double Steam_FileSize(const char* name)
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return storage != nullptr ? storage->GetFileSize(name) : 0;
}

double Steam_FileShare(const char* name)
{
    ISteamUser* user = Steam_User();
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    if (user == nullptr || storage == nullptr || !user->BLoggedOn()) {
        MainConsole->Output("File share failed: must be logged on\n");
        return 0;
    }
    if (!storage->FileExists(name)) {
        MainConsole->Output("File share failed: \"%s\" does not exist, must write first\n", name);
        return 0;
    }
    MainConsole->Output("Uploading %s to cloud...\n", name);
    return Truth(Share(storage, name, &CFileShareResultHandler::OnFileShareResult));
}

double Steam_PublishWorkshopFile(const char* file, const char* preview, const char* title, const char* description)
{
    ISteamRemoteStorage* storage = Steam_RemoteStorage();
    ISteamUser* user = Steam_User();
    if (storage == nullptr || user == nullptr) return 0;
    if (g_Publish.inProgress) {
        MainConsole->Output("Workshop publish already in progress...\n");
        return 0;
    }
    if (!storage->FileExists(file)) {
        MainConsole->Output("Write file \"%s\" to remote storage first\n", file);
        return 0;
    }
    bool withPreview = preview != nullptr && preview[0] != 0;
    if (withPreview && !storage->FileExists(preview)) {
        MainConsole->Output("Write file \"%s\" to remote storage first\n", preview);
        return 0;
    }
    if (!user->BLoggedOn()) {
        MainConsole->Output("Workshop publish error - user must be logged on\n");
        return 0;
    }
    MainConsole->Output("workshop publish - uploading to cloud...\n");
    g_Publish.shareFailed = false;
    g_Publish.pendingShares = 0;
    // A share Steam refuses at once counts as failed; with no share under way the publish ends here.
    for (const char* name : {file, withPreview ? preview : nullptr}) {
        if (name == nullptr) continue;
        if (Share(storage, name, &CFileShareResultHandler::OnWorkshopFileShared)) ++g_Publish.pendingShares;
        else g_Publish.shareFailed = true;
    }
    if (g_Publish.pendingShares == 0) return 0;
    g_Publish.inProgress = true;
    Replace(&g_Publish.file, file);
    Replace(&g_Publish.preview, preview);
    Replace(&g_Publish.title, title);
    Replace(&g_Publish.description, description);
    return 1;
}

double Steam_IsScreenshotRequested()
{
    if (g_pScreenshots == nullptr || !g_pScreenshots->m_bRequested) return 0;
    g_pScreenshots->m_bRequested = false;
    return 1;
}

double Steam_SendScreenshot(const char* file, int32_t width, int32_t height)
{
    char path[PATH_SIZE];
    if (!LocalPath(file, path)) {
        MainConsole->Output("steam_send_screenshot: failed to find file %s\n", file);
        return -1;
    }
    ISteamScreenshots* screenshots = Steam_Screenshots();
    return screenshots != nullptr ? double(screenshots->AddScreenshotToLibrary(path, nullptr, width, height)) : -1;
}
