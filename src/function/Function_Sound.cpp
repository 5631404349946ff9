// The "Sound" family: the older sound_* playback functions over the sound table, the audio_*
// functions of the newer system, the cd_* functions and MCI_command. The routines only turn
// arguments into calls; the sound area decides what each call does while its system is off.
#include "app/App_CommandLine.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "sound/Sound_Audio.h"
#include "sound/Sound_CD.h"
#include "sound/Sound_Main.h"
#include "sound/Sound_Mci.h"

namespace {

// The older sound_* routines do nothing, silently, while the newer system runs or audio is off.
bool OlderSoundOff()
{
    return Audio_IsNewSystem() || g_NoAudio;
}

// The sound of the rounded index; reports it when missing.
CSound* SoundOrReport(const ScriptValue& index)
{
    CSound* sound = Sound_Get(Arg_Int(index));
    if (sound == nullptr) Error_Show_Action("Sound does not exist.", false);
    return sound;
}

void Play(const ScriptValue& index, bool loop)
{
    if (OlderSoundOff()) return;
    CSound* sound = SoundOrReport(index);
    if (sound == nullptr) return;
    int32_t channel = sound->GetSoundId();
    Sound_PlayFile(sound->m_pFileName, channel, loop);
    Sound_SetVolume(channel, static_cast<float>(sound->m_Volume), 1);
}

void Builtin_SoundPlay(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Play(args[0], false);
}

void Builtin_SoundLoop(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Play(args[0], true);
}

void Builtin_SoundStop(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (OlderSoundOff()) return;
    if (CSound* sound = SoundOrReport(args[0])) Sound_StopFile(sound->m_pFileName, sound->GetSoundId());
}

void Builtin_SoundStopAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    if (!OlderSoundOff()) Sound_StopAll();
}

void Builtin_SoundIsplaying(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CSound* sound = OlderSoundOff() ? nullptr : Sound_Get(Arg_Int(args[0]));
    if (sound != nullptr) Result_Bool(result, Sound_IsPlaying(sound->m_pFileName, sound->GetSoundId()));
}

void Builtin_SoundVolume(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (OlderSoundOff()) return;
    CSound* sound = SoundOrReport(args[0]);
    if (sound == nullptr) return;
    sound->m_Volume = Arg_Real(args[1]);
    Sound_SetVolume(sound->GetSoundId(), static_cast<float>(sound->m_Volume), 1);
}

void Builtin_SoundFade(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (OlderSoundOff()) return;
    if (CSound* sound = SoundOrReport(args[0]))
        Sound_SetVolume(sound->GetSoundId(), static_cast<float>(Arg_Real(args[1])), Arg_Int(args[2]));
}

void Builtin_SoundPan(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (OlderSoundOff()) return;
    if (CSound* sound = SoundOrReport(args[0])) Sound_SetPan(sound->GetSoundId(), Arg_Real(args[1]));
}

// sound_background_tempo, sound_set_search_directory: nothing to do on any platform.
void Builtin_SoundBackgroundTempo(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

void Builtin_SoundGlobalVolume(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!OlderSoundOff()) Sound_SetGlobalVolume(static_cast<float>(Arg_Real(args[0])));
}

// The effects and sound_3d_set_sound_position: a missing sound is reported, nothing else happens.
void Builtin_SoundEffectSet(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!OlderSoundOff()) SoundOrReport(args[0]);
}

// The other three sound_3d_ names report a missing sound under either system.
void Builtin_Sound3dSetSoundVelocity(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    SoundOrReport(args[0]);
}

void Builtin_AudioSystem(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, Audio_IsNewSystem());
}

void Builtin_AudioListenerPosition(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_SetListenerPosition(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]));
}

void Builtin_AudioListenerVelocity(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_SetListenerVelocity(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]));
}

void Builtin_AudioListenerOrientation(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_SetListenerOrientation(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                                 Arg_Float(args[4]), Arg_Float(args[5]));
}

void Builtin_AudioFalloffSetModel(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_SetFalloffModel(Arg_Int(args[0]));
}

void Builtin_AudioMasterGain(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_SetMasterGain(Arg_Float(args[0]));
}

void Builtin_AudioChannelNum(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_SetChannelCount(Arg_Int(args[0]));
}

void Builtin_AudioEmitterCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Audio_EmitterCreate());
}

void Builtin_AudioEmitterFree(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_EmitterFree(Arg_Int(args[0]));
}

void Builtin_AudioEmitterExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Audio_EmitterExists(Arg_Int(args[0])));
}

void Builtin_AudioEmitterPosition(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_EmitterSetPosition(Arg_Int(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]));
}

void Builtin_AudioEmitterVelocity(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_EmitterSetVelocity(Arg_Int(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]));
}

void Builtin_AudioEmitterGain(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_EmitterSetGain(Arg_Int(args[0]), Arg_Float(args[1]));
}

void Builtin_AudioEmitterPitch(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_EmitterSetPitch(Arg_Int(args[0]), Arg_Float(args[1]));
}

void Builtin_AudioEmitterFalloff(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_EmitterSetFalloff(Arg_Int(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]));
}

void Builtin_AudioPlaySound(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Audio_PlaySound(Arg_Int(args[0]), Arg_Real(args[1]), Arg_Int(args[2])));
}

void Builtin_AudioPlaySoundOn(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Audio_PlaySoundOn(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]), Arg_Real(args[3])));
}

void Builtin_AudioPlaySoundAt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Audio_PlaySoundAt(Arg_Int(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                                          Arg_Float(args[4]), Arg_Float(args[5]), Arg_Float(args[6]), Arg_Int(args[7]),
                                          Arg_Real(args[8])));
}

void Builtin_AudioStopSound(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_StopSound(Arg_Int(args[0]));
}

void Builtin_AudioPauseSound(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_PauseSound(Arg_Int(args[0]));
}

void Builtin_AudioResumeSound(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_ResumeSound(Arg_Int(args[0]));
}

void Builtin_AudioPauseAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Audio_PauseAll();
}

void Builtin_AudioResumeAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Audio_ResumeAll();
}

void Builtin_AudioStopAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Audio_StopAll();
}

void Builtin_AudioExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Audio_Exists(Arg_Int(args[0])));
}

void Builtin_AudioIsPlaying(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Audio_IsPlaying(Arg_Int(args[0])));
}

void Builtin_AudioGetType(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Audio_IsStreamed(Arg_Int(args[0])));
}

void Builtin_AudioSoundGain(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_SetGain(Arg_Int(args[0]), Arg_Float(args[1]), Arg_Int(args[2]));
}

void Builtin_AudioSoundPitch(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_SetPitch(Arg_Int(args[0]), Arg_Float(args[1]));
}

void Builtin_AudioSoundLength(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Audio_SoundLength(Arg_Int(args[0])));
}

void Builtin_AudioPlayMusic(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_PlayMusic(Arg_Int(args[0]), Arg_Int(args[1]) > 0);
}

void Builtin_AudioStopMusic(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Audio_StopMusic();
}

void Builtin_AudioPauseMusic(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Audio_PauseMusic();
}

void Builtin_AudioResumeMusic(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Audio_ResumeMusic();
}

void Builtin_AudioMusicIsPlaying(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, Audio_MusicIsPlaying());
}

void Builtin_AudioMusicGain(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Audio_SetMusicGain(Arg_Float(args[0]), Arg_Int(args[1]));
}

// The cd_ queries answer a number; the controls answer 0.
template <int32_t (*Query)()> void CdNumber(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Query());
}

template <bool (*Query)()> void CdFlag(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, Query());
}

template <void (*Control)()> void CdControl(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Control();
}

template <void (*Control)(int32_t)> void CdControlAt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Control(Arg_Int(args[0]));
}

void Builtin_CdTrackLength(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, CD_TrackLength(Arg_Int(args[0])));
}

void Builtin_CdPlay(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CD_Play(Arg_Int(args[0]), Arg_Int(args[1]));
}

void Builtin_MCICommand(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    char answer[256] = {0};
    Mci_SendString(Arg_TextOrEmpty(args[0]), answer, 255);
    Result_Text(result, answer);
}

const FunctionRow SOUND_ROWS[] = {
    {"sound_play", Builtin_SoundPlay, 1},
    {"sound_loop", Builtin_SoundLoop, 1},
    {"sound_stop", Builtin_SoundStop, 1},
    {"sound_stop_all", Builtin_SoundStopAll, 0},
    {"sound_isplaying", Builtin_SoundIsplaying, 1},
    {"sound_volume", Builtin_SoundVolume, 2},
    {"sound_fade", Builtin_SoundFade, 3},
    {"sound_pan", Builtin_SoundPan, 2},
    {"sound_background_tempo", Builtin_SoundBackgroundTempo, 1},
    {"sound_global_volume", Builtin_SoundGlobalVolume, 1},
    {"sound_set_search_directory", Builtin_SoundBackgroundTempo, 1},
    {"sound_effect_set", Builtin_SoundEffectSet, 2},
    {"sound_effect_chorus", Builtin_SoundEffectSet, 8},
    {"sound_effect_compressor", Builtin_SoundEffectSet, 7},
    {"sound_effect_echo", Builtin_SoundEffectSet, 6},
    {"sound_effect_flanger", Builtin_SoundEffectSet, 8},
    {"sound_effect_gargle", Builtin_SoundEffectSet, 3},
    {"sound_effect_equalizer", Builtin_SoundEffectSet, 4},
    {"sound_effect_reverb", Builtin_SoundEffectSet, 5},
    {"sound_3d_set_sound_position", Builtin_SoundEffectSet, 4},
    {"sound_3d_set_sound_velocity", Builtin_Sound3dSetSoundVelocity, 4},
    {"sound_3d_set_sound_distance", Builtin_Sound3dSetSoundVelocity, 3},
    {"sound_3d_set_sound_cone", Builtin_Sound3dSetSoundVelocity, 7},
    {"audio_system", Builtin_AudioSystem, 0},
    {"audio_listener_position", Builtin_AudioListenerPosition, 3},
    {"audio_listener_velocity", Builtin_AudioListenerVelocity, 3},
    {"audio_listener_orientation", Builtin_AudioListenerOrientation, 6},
    {"audio_falloff_set_model", Builtin_AudioFalloffSetModel, 1},
    {"audio_master_gain", Builtin_AudioMasterGain, 1},
    {"audio_channel_num", Builtin_AudioChannelNum, 1},
    {"audio_emitter_create", Builtin_AudioEmitterCreate, 0},
    {"audio_emitter_free", Builtin_AudioEmitterFree, 1},
    {"audio_emitter_exists", Builtin_AudioEmitterExists, 1},
    {"audio_emitter_position", Builtin_AudioEmitterPosition, 4},
    {"audio_emitter_velocity", Builtin_AudioEmitterVelocity, 4},
    {"audio_emitter_gain", Builtin_AudioEmitterGain, 2},
    {"audio_emitter_pitch", Builtin_AudioEmitterPitch, 2},
    {"audio_emitter_falloff", Builtin_AudioEmitterFalloff, 4},
    {"audio_play_sound", Builtin_AudioPlaySound, 3},
    {"audio_play_sound_on", Builtin_AudioPlaySoundOn, 4},
    {"audio_play_sound_at", Builtin_AudioPlaySoundAt, 9},
    {"audio_stop_sound", Builtin_AudioStopSound, 1},
    {"audio_pause_sound", Builtin_AudioPauseSound, 1},
    {"audio_resume_sound", Builtin_AudioResumeSound, 1},
    {"audio_pause_all", Builtin_AudioPauseAll, 0},
    {"audio_resume_all", Builtin_AudioResumeAll, 0},
    {"audio_stop_all", Builtin_AudioStopAll, 0},
    {"audio_exists", Builtin_AudioExists, 1},
    {"audio_is_playing", Builtin_AudioIsPlaying, 1},
    {"audio_get_type", Builtin_AudioGetType, 1},
    {"audio_sound_gain", Builtin_AudioSoundGain, 3},
    {"audio_sound_pitch", Builtin_AudioSoundPitch, 2},
    {"audio_sound_length", Builtin_AudioSoundLength, 1},
    {"audio_play_music", Builtin_AudioPlayMusic, 2},
    {"audio_stop_music", Builtin_AudioStopMusic, 0},
    {"audio_pause_music", Builtin_AudioPauseMusic, 0},
    {"audio_resume_music", Builtin_AudioResumeMusic, 0},
    {"audio_music_is_playing", Builtin_AudioMusicIsPlaying, 0},
    {"audio_music_gain", Builtin_AudioMusicGain, 2},
    {"cd_init", CdControl<CD_Init>, 0},
    {"cd_present", CdFlag<CD_Present>, 0},
    {"cd_number", CdNumber<CD_Number>, 0},
    {"cd_playing", CdFlag<CD_Playing>, 0},
    {"cd_paused", CdFlag<CD_Paused>, 0},
    {"cd_track", CdNumber<CD_Track>, 0},
    {"cd_length", CdNumber<CD_Length>, 0},
    {"cd_track_length", Builtin_CdTrackLength, 1},
    {"cd_position", CdNumber<CD_Position>, 0},
    {"cd_track_position", CdNumber<CD_TrackPosition>, 0},
    {"cd_play", Builtin_CdPlay, 2},
    {"cd_stop", CdControl<CD_Stop>, 0},
    {"cd_pause", CdControl<CD_Pause>, 0},
    {"cd_resume", CdControl<CD_Resume>, 0},
    {"cd_set_position", CdControlAt<CD_SetPosition>, 1},
    {"cd_set_track_position", CdControlAt<CD_SetTrackPosition>, 1},
    {"cd_open_door", CdControl<CD_OpenDoor>, 0},
    {"cd_close_door", CdControl<CD_CloseDoor>, 0},
    {"MCI_command", Builtin_MCICommand, 1},
};

} // namespace

void InitSoundFunctions()
{
    Function_AddRows(SOUND_ROWS);
}
