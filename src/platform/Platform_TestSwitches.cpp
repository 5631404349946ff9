#include "platform/Platform_TestSwitches.h"

#include <cstdlib>
#include <fstream>

TestSwitches g_TestSwitches;
bool g_TestSwitchesLoaded = false;

namespace {

std::ifstream g_Answers;

const char* Env(const char* name)
{
    const char* value = std::getenv(name);
    return (value != nullptr && value[0] != '\0') ? value : nullptr;
}

bool EnvFlag(const char* name)
{
    const char* value = Env(name);
    return value != nullptr && value[0] != '0';
}

// Whole decimal numbers only; anything else leaves the switch off.
int64_t EnvCount(const char* text)
{
    if (text == nullptr) return -1;
    char* end = nullptr;
    long long n = std::strtoll(text, &end, 10);
    if (end == text || n < 0) return -1;
    return n;
}

void ParseCapture(const char* text)
{
    g_TestSwitches.captureFrame = -1;
    g_TestSwitches.captureFile.clear();
    if (text == nullptr) return;
    std::string value(text);
    size_t colon = value.find(':');
    if (colon == std::string::npos || colon + 1 >= value.size()) return;
    g_TestSwitches.captureFrame = EnvCount(value.substr(0, colon).c_str());
    if (g_TestSwitches.captureFrame >= 0) g_TestSwitches.captureFile = value.substr(colon + 1);
}

} // namespace

void TestSwitches_Reload()
{
    g_TestSwitches = TestSwitches{};
    g_TestSwitches.headless = EnvFlag("KELVARO_HEADLESS");
    g_TestSwitches.maxFrames = EnvCount(Env("KELVARO_MAX_FRAMES"));
    g_TestSwitches.noWait = EnvFlag("KELVARO_NO_WAIT");
    if (const char* trace = Env("KELVARO_TRACE")) g_TestSwitches.traceFile = trace;
    ParseCapture(Env("KELVARO_CAPTURE"));
    if (const char* answers = Env("KELVARO_ANSWERS")) g_TestSwitches.answersFile = answers;
    if (const char* image = Env("KELVARO_CD_IMAGE")) g_TestSwitches.cdImage = image;

    if (g_TestSwitches.headless) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("ALSOFT_DRIVERS", "null", 0);
    }
    g_Answers.close();
    g_Answers.clear();
    if (!g_TestSwitches.answersFile.empty()) g_Answers.open(g_TestSwitches.answersFile);
    g_TestSwitchesLoaded = true;
}

bool TestSwitches_NextAnswer(std::string& answer)
{
    TestSwitches_Get();
    if (!g_Answers.is_open() || !std::getline(g_Answers, answer)) return false;
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    return true;
}
