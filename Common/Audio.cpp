#include "Common/Audio.h"

#include "Common/PropertyInfo.h"

namespace Zep {

namespace {

// A key of the action track. It runs nothing yet: there is no sound system to play
// or stop the sound in.
void OnActionKey(Object*, Object*, int32_t) {}

}  // namespace

void Audio::DeclareProperties() {
    RegisterAnimatableProperty<Audio, Action>("Action", &Audio::GetAction, &Audio::SetAction, &OnActionKey);
    RegisterAnimatableProperty<Audio, std::string>("File", &Audio::GetFile, &Audio::SetFile, nullptr);
    RegisterAnimatableProperty<Audio, uint32_t>("Flags", &Audio::GetFlags, &Audio::SetFlags, nullptr);
    RegisterAnimatableProperty<Audio, SoundGroupType>("Group", &Audio::GetGroup, &Audio::SetGroup, nullptr);
    RegisterAnimatableProperty<Audio, float>("Priority", &Audio::GetPriority, &Audio::SetPriority, nullptr);
    RegisterAnimatableProperty<Audio, float>("FadeTime", &Audio::GetFadeTime, &Audio::SetFadeTime, nullptr);
    RegisterAnimatableProperty<Audio, float>("Volume", &Audio::GetVolume, &Audio::SetVolume, nullptr);
    RegisterAnimatableProperty<Audio, float>("Pan", &Audio::GetPan, &Audio::SetPan, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::EnumProperty' { Name 'Action' Group 'Audio' Values [ 'Play' 'Stop' ] } "
        "'Metadata::PathProperty' { Name 'File' Group 'Audio' Wildcard '*.wav;*.ogg;*.mp3' } "
        "'Metadata::BitMaskProperty' { Name 'Flags' Group 'Audio' BitNames [ 'Continual' 'Streamed' 'Looped' ] } "
        "'Metadata::EnumProperty' { Name 'Group' Group 'Audio' Values [ 'MASTER' 'MUSIC' 'MUSIC_SUB_0' "
        "'MUSIC_SUB_1' 'AMBIENT' 'AMBIENT_SUB_0' 'AMBIENT_SUB_1' 'SFX' 'SFX_SUB_0' 'SFX_SUB_1' 'SFX_SUB_2' "
        "'SFX_SUB_3' 'SFX_SUB_4' 'SFX_SUB_5' 'UI' 'UI_SUB_0' 'UI_SUB_1' ] } "
        "'Metadata::FloatProperty' { Name 'Priority' Group 'Audio' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'FadeTime' Group 'Audio' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'Volume' Group 'Audio' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'Pan' Group 'Audio' Step 0.01 } ] }");
}

Audio::Audio()
    : flags(0),
      fadeTime(0.0f),
      volume(0.5f),
      pan(0.0f),
      action(PLAY),
      group(SOUND_GROUP_SFX_SUB_0),
      priority(0.5f),
      handle(0) {
    SetClassInfo(&staticClassInfo);
}

Audio::~Audio() {}

}  // namespace Zep
