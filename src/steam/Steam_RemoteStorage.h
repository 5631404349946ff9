// Steam cloud files, workshop publishing and screenshots. Shares and publishing report only in the
// log; a screenshot request is polled by the script.
#pragma once

#include <cstdint>

void RemoteStorage_Init();
void RemoteStorage_Shutdown();
void Screenshots_Init();
void Screenshots_Shutdown();

double Steam_IsCloudEnabledForApp();
double Steam_IsCloudEnabledForAccount();
double Steam_FilePersisted(const char* name);
double Steam_GetQuotaTotal();
double Steam_GetQuotaFree();
// Writes at most `available` bytes of the data, however large `size` is.
double Steam_FileWrite(const char* name, const void* data, int32_t available, double size);
double Steam_FileWriteFile(const char* cloudName, const char* localName);
// The file's text in a memory-manager block the caller frees; null when it is missing, empty or
// short.
char* Steam_FileRead(const char* name);
double Steam_FileDelete(const char* name);
double Steam_FileExists(const char* name);
double Steam_FileSize(const char* name);
double Steam_FileShare(const char* name);
double Steam_PublishWorkshopFile(const char* file, const char* preview, const char* title, const char* description);
double Steam_IsScreenshotRequested();
double Steam_SendScreenshot(const char* file, int32_t width, int32_t height);
