// Mesa's modules, loaded for the OpenGL context, keep allocations the leak checker reports at exit;
// the drawing code's own allocations are leak-checked through the recording device of the graphics
// tests.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}
