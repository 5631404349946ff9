// The recording device of the graphics tests, for the drawing built-ins' tests.
#include "../graphics/Graphics_FakeDevice.cpp"
