// Instance services that shut-down calls before the instance list issue lands.
#pragma once

// Releases and deletes every instance of the instance id hash.
void Instance_ClearHash();
