// The scene's stored options: the frame-rate text (TMainScene), each sound
// list's device and sounds (TSceneSoundList), each texture list's quality
// and textures and the meshes' file choices (TSceneTextureList,
// TSceneMeshList). Keys of the scene's objects are made of their names
// ("<sound name>Played", "<list name> Quality"); the defaults of those are
// what the scene description gave.
#pragma once

#include "core/OptionTable.h"

namespace velmora {

// TTextureQuality and TColorBit as the store writes them.
inline constexpr TOptionChoice kTextureQualityChoices[] = {{"High", 0}, {"Medium", 1}, {"Low", 2}};
inline constexpr TOptionChoice kColorBitChoices[] = {{"Compressed", 0}, {"32bit", 1}, {"16bit", 2}};

inline constexpr TOption kOptFPS{.Name = "FPS", .Kind = TOptionKind::Bool, .Default = 0, .Switch = "fps",
                                 .Help = "show or hide the frame rate"};
// A sound list's device.
inline constexpr TOption kOptSoundVolume{
    .Name = " SoundVolume", .Kind = TOptionKind::Integer, .FromObject = true, .Form = TOptionKey::Ending};
inline constexpr TOption kOptMusicVolume{
    .Name = " MusicVolume", .Kind = TOptionKind::Integer, .FromObject = true, .Form = TOptionKey::Ending};
inline constexpr TOption kOptSoundActive{.Name = " Active", .Kind = TOptionKind::Bool, .FromObject = true,
                                         .Form = TOptionKey::Ending, .Switch = "sound",
                                         .Help = "play the water sounds or stay silent"};
// Each sound of a list.
inline constexpr TOption kOptSoundPlayed{
    .Name = "Played", .Kind = TOptionKind::Bool, .FromObject = true, .Form = TOptionKey::Ending, .Switch = "sound"};
inline constexpr TOption kOptSoundLevel{.Name = "Volume", .Kind = TOptionKind::Integer, .FromObject = true,
                                        .Min = 0, .Max = 100, .Form = TOptionKey::Ending};
inline constexpr TOption kOptSoundPan{
    .Name = "Pan", .Kind = TOptionKind::Integer, .FromObject = true, .Form = TOptionKey::Ending};
// A texture list.
inline constexpr TOption kOptTextureQuality{.Name = " Quality", .Kind = TOptionKind::Text, .FromObject = true,
                                            .Choices = kTextureQualityChoices, .Form = TOptionKey::Ending};
inline constexpr TOption kOptTextureColorBit{.Name = " ColorBit", .Kind = TOptionKind::Text, .FromObject = true,
                                             .Choices = kColorBitChoices, .Form = TOptionKey::Ending};
inline constexpr TOption kOptTextureMipMap{
    .Name = " MipMap", .Kind = TOptionKind::Bool, .FromObject = true, .Form = TOptionKey::Ending};
// The file chosen from a texture's or a mesh's file list, under the list's
// base name.
inline constexpr TOption kOptFileIndex{
    .Name = "Index", .Kind = TOptionKind::Integer, .Default = 0, .Form = TOptionKey::Ending};
// A texture of a list.
inline constexpr TOption kOptLoadFromFile{
    .Name = " LoadFromFile", .Kind = TOptionKind::Bool, .FromObject = true, .Form = TOptionKey::Ending};
inline constexpr TOption kOptTextureName{
    .Name = " TextureName", .Kind = TOptionKind::Text, .FromObject = true, .Form = TOptionKey::Ending};
inline constexpr TOption kOptAlphaName{
    .Name = " AlphaName", .Kind = TOptionKind::Text, .FromObject = true, .Form = TOptionKey::Ending};

inline constexpr const TOption* kSceneOptionList[] = {
    &kOptSoundVolume,    &kOptMusicVolume,     &kOptSoundActive,   &kOptSoundPlayed,  &kOptSoundLevel,
    &kOptSoundPan,       &kOptTextureQuality,  &kOptTextureColorBit, &kOptTextureMipMap, &kOptFileIndex,
    &kOptLoadFromFile,   &kOptTextureName,     &kOptAlphaName,     &kOptFPS,
};
inline constexpr TOptionTable kSceneOptions{"scene", kSceneOptionList};

}  // namespace velmora
