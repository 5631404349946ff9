// Extension services of game preparation, before the extensions issue lands.
#pragma once

// Defines the extension packages' functions and constants; false stops game preparation.
bool Extension_Prepare();
