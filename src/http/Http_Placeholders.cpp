#include "http/Http_Placeholders.h"

HTTP_REQ_CONTEXT* g_pHttpRequests = nullptr;

// PLACEHOLDER for the HTTP issue: no request thread runs, so nothing changes state here.
void HTTP_PollRequests() {}
