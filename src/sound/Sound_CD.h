// CD audio through the media control interface's "cdaudio" device: these operations build its
// commands and read its answers. Without a drive or a disc every query answers 0 or false and every
// control does nothing.
#pragma once

#include <cstdint>

void CD_Init();
bool CD_Present();
int32_t CD_Number();
bool CD_Playing();
bool CD_Paused();
int32_t CD_Track();
int32_t CD_Length();
int32_t CD_TrackLength(int32_t track);
int32_t CD_Position();
int32_t CD_TrackPosition();
void CD_Play(int32_t first, int32_t last);
void CD_Stop();
void CD_Pause();
void CD_Resume();
void CD_SetPosition(int32_t milliseconds);
void CD_SetTrackPosition(int32_t milliseconds);
void CD_OpenDoor();
void CD_CloseDoor();
