// A dynamic library for the tests of external calls and extension packages: functions of mixes of
// real and string arguments up to four, sixteen reals, string results (null, and a buffer the
// library rewrites later), and an init and final function whose effects the tests can see.
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string g_Text;    // what the string functions return, valid until the next call
char g_Buffer[64];     // a buffer the library hands out and later rewrites
int g_InitCalls = 0;

void Add(std::string& out, double real)
{
    char text[32];
    std::snprintf(text, sizeof text, "r%g", real);
    out += text;
}

void Add(std::string& out, const char* text) { out += text != nullptr ? std::string("s") + text : "null"; }

// "r1.5,sab,...": each argument as the library received it.
template <typename... Args> const char* Describe(Args... args)
{
    g_Text.clear();
    ((Add(g_Text, args), g_Text += ","), ...);
    return g_Text.c_str();
}

double Weigh(double real) { return real; }
double Weigh(const char* text) { return text != nullptr ? 100.0 * static_cast<double>(std::strlen(text)) : -1.0; }

// Each argument weighed by its place, so that a swap shows.
template <typename... Args> double Sum(Args... args)
{
    double sum = 0, place = 1;
    ((sum += place * Weigh(args), place *= 2), ...);
    return sum;
}

} // namespace

// f_<pattern>_s describes its arguments; f_<pattern>_r weighs them.
#define MIXED(name, params, args)                                                                   \
    extern "C" const char* name##_s params { return Describe args; }                                \
    extern "C" double name##_r params { return Sum args; }

MIXED(f_, (void), ())
MIXED(f_r, (double a0), (a0))
MIXED(f_s, (const char* a0), (a0))
MIXED(f_rr, (double a0, double a1), (a0, a1))
MIXED(f_rs, (double a0, const char* a1), (a0, a1))
MIXED(f_sr, (const char* a0, double a1), (a0, a1))
MIXED(f_ss, (const char* a0, const char* a1), (a0, a1))
MIXED(f_rsr, (double a0, const char* a1, double a2), (a0, a1, a2))
MIXED(f_srs, (const char* a0, double a1, const char* a2), (a0, a1, a2))
MIXED(f_rsrs, (double a0, const char* a1, double a2, const char* a3), (a0, a1, a2, a3))
MIXED(f_srsr, (const char* a0, double a1, const char* a2, double a3), (a0, a1, a2, a3))

extern "C" double sum16(double a0, double a1, double a2, double a3, double a4, double a5, double a6, double a7,
                        double a8, double a9, double a10, double a11, double a12, double a13, double a14, double a15)
{
    return Sum(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15);
}

extern "C" const char* null_text() { return nullptr; }

// Hands out the library's own buffer; rewrite_buffer changes it afterwards.
extern "C" const char* buffer_text(const char* text)
{
    std::snprintf(g_Buffer, sizeof g_Buffer, "%s", text != nullptr ? text : "");
    return g_Buffer;
}

extern "C" double rewrite_buffer()
{
    std::snprintf(g_Buffer, sizeof g_Buffer, "rewritten");
    return 1;
}

extern "C" double testext_init()
{
    ++g_InitCalls;
    return 0;
}

extern "C" double init_calls() { return g_InitCalls; }

// "init=N r=... s=...": what a game's script asks for after the init function ran.
extern "C" const char* testext_describe(double real, const char* text)
{
    char line[256];
    std::snprintf(line, sizeof line, "init=%d r=%g s=%s", g_InitCalls, real, text != nullptr ? text : "(null)");
    g_Text = line;
    return g_Text.c_str();
}

// Leaves "testext_final.txt" in the current folder at game end.
extern "C" double testext_final()
{
    if (FILE* out = std::fopen("testext_final.txt", "w")) {
        std::fprintf(out, "final after %d init\n", g_InitCalls);
        std::fclose(out);
    }
    return 0;
}
