void InitSoundFunctions() {}
