// The program's two ends: start-up (the command line, the "@" moves, every subsystem's
// initialisation, the logged start-up steps that read the game file and start the game) and
// shut-down in its fixed order. Between them WinMain drives the main loop.
#pragma once

#include <cstdint>

// The entry point: returns the process's exit code (EXIT_CODE_*, run/Run_Globals.h).
int32_t WinMain(const char* commandLine);

// Step 4 of WinMain: a "data.win" beside the program is the game, and the command line is then
// not read; otherwise the switches come from the command line. Returns whether "data.win" was found.
bool App_ChooseGameFile(const char* programPath, const char* commandLine);

// Initialises every table that does not depend on the game file. Always true.
bool InitAll();
// The logged start-up steps; true when the game started.
bool StartUp();
// Seeds the C random generator, loads every chunk, prepares and starts the game.
bool LoadAndStartGame();
// Registers every family of built-in functions, logging their names on one line.
void RegisterAllFunctionFamilies();
// Releases everything in the fixed shut-down order; each step's name is logged only with
// "-debugoutput".
void ShutdownAll();
void StopInputAndSound();

// Common controls and the GDI+ library have no counterpart here: both do nothing.
void GraphicsLibraries_Init();
void GraphicsLibraries_Shutdown();

// One step of a logged sequence: the name logged before the work.
struct StartupStep {
    const char* name;
    void (*run)();
};
// The shut-down steps in their order (ShutdownAll logs and runs them).
extern const StartupStep SHUTDOWN_STEPS[];
extern const int32_t SHUTDOWN_STEP_COUNT;
