// The recording device of the graphics tests, built into this area's tests too: the drawing
// built-ins are checked by the state and vertices they leave on it.
#include "../graphics/Graphics_FakeDevice.cpp"
