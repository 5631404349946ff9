#include "http/Http_Placeholders.h"

HTTP_REQ_CONTEXT* g_pHttpRequests = nullptr;

// PLACEHOLDER until HTTP requests run: no request thread runs, so nothing changes state here.
void HTTP_PollRequests() {}
