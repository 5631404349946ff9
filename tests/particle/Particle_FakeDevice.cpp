// The recording device of the graphics tests, built into this area's tests too: particle drawing is
// checked by the vertices it queues.
#include "../graphics/Graphics_FakeDevice.cpp"
