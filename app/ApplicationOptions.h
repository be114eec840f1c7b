// The application's stored options: the application core's
// (TCustomApplicationPro, TCustomGraphicApplicationPro), the GL
// application's display, film and snapshot options (TCustomGLApplication)
// and the screen saver's (TGLScreenSaver). Scrambled names in the
// machine-wide root.
#pragma once

#include "core/OptionTable.h"

namespace velmora {

inline constexpr TOption kOptHomeDir{.Name = "HomeDir", .Kind = TOptionKind::Text, .FromObject = true};
inline constexpr TOption kOptExeDir{.Name = "ExeDir", .Kind = TOptionKind::Text, .FromObject = true};
inline constexpr TOption kOptAppName{.Name = "AppName", .Kind = TOptionKind::Text, .FromObject = true};
// "<major>.<minor>" (a comma also separates them).
inline constexpr TOption kOptVersion{.Name = "Version", .Kind = TOptionKind::Text, .FromObject = true};
inline constexpr TOption kOptNeedDisplay{.Name = "NeedDisplay", .Kind = TOptionKind::Bool, .FromObject = true};
inline constexpr TOption kOptNeedSystem{.Name = "NeedSystem", .Kind = TOptionKind::Bool, .FromObject = true};
inline constexpr TOption kOptLowCPU{.Name = "LowCPU", .Kind = TOptionKind::Bool, .Default = 0};
// -1: the primary monitor; read only with two monitors or more.
inline constexpr TOption kOptMonitor{.Name = "Monitor", .Kind = TOptionKind::Integer, .FromObject = true};
inline constexpr TOption kOptDesktopOnly{.Name = "DesktopOnly", .Kind = TOptionKind::Bool, .Default = 1};
// TScreenMode::ModeText; by default the display's default mode.
inline constexpr TOption kOptFullScreenMode{.Name = "FullScreenMode", .Kind = TOptionKind::Text, .FromObject = true};
inline constexpr TOption kOptWaitSync{.Name = "WaitSync", .Kind = TOptionKind::Bool, .FromObject = true};
// The software rasterizer: the user's choice, never the default.
inline constexpr TOption kOptDirectX{.Name = "DirectX", .Kind = TOptionKind::Bool, .Default = 0};
inline constexpr TOption kOptFilmFileName{.Name = "FilmFileName", .Kind = TOptionKind::Text, .Text = "Film.jpg"};
inline constexpr TOption kOptFilmSeconds{.Name = "FilmSeconds", .Kind = TOptionKind::Integer, .Default = 1};
inline constexpr TOption kOptFilmFrameRate{.Name = "FilmFrameRate", .Kind = TOptionKind::Integer, .Default = 25};
inline constexpr TOption kOptSnapshotsEnabled{.Name = "SnapshotsEnabled", .Kind = TOptionKind::Bool, .Default = 0};
inline constexpr TOption kOptJpegQuality{.Name = "JpegQuality", .Kind = TOptionKind::Integer, .Default = 90};
inline constexpr TOption kOptWideScreen{.Name = "WideScreen", .Kind = TOptionKind::Bool, .FromObject = true};
// The share of the window's pixels the scene is drawn at, in per cent.
inline constexpr TOptionChoice kRenderScaleChoices[] = {{"100", 100}, {"75", 75}, {"50", 50}};
inline constexpr TOption kOptRenderScale{.Name = "RenderScale", .Kind = TOptionKind::Integer, .Default = 100,
                                         .Choices = kRenderScaleChoices, .Switch = "scale",
                                         .Help = "draw the scene at that percentage of the window's pixels"};
inline constexpr TOption kOptMouseMoveExit{.Name = "MouseMoveExit", .Kind = TOptionKind::Bool, .FromObject = true};
inline constexpr TOption kOptRunAsProgram{.Name = "RunAsProgram", .Kind = TOptionKind::Bool, .Default = 0};
// Indexes into PowerTimeouts (app/ScreenSaver.h); one outside is brought
// to the nearest.
inline constexpr TOption kOptPowerOffIndex{
    .Name = "PowerOffIndex", .Kind = TOptionKind::Integer, .FromObject = true, .Min = 0, .Max = 15};
inline constexpr TOption kOptMonitorOffIndex{
    .Name = "MonitorOffIndex", .Kind = TOptionKind::Integer, .FromObject = true, .Min = 0, .Max = 15};

inline constexpr const TOption* kApplicationOptionList[] = {
    &kOptHomeDir,      &kOptExeDir,        &kOptAppName,          &kOptVersion,         &kOptNeedDisplay,
    &kOptNeedSystem,   &kOptLowCPU,        &kOptMonitor,          &kOptDesktopOnly,     &kOptFullScreenMode,
    &kOptWaitSync,     &kOptDirectX,       &kOptFilmFileName,     &kOptFilmSeconds,     &kOptFilmFrameRate,
    &kOptSnapshotsEnabled, &kOptJpegQuality, &kOptWideScreen,     &kOptMouseMoveExit,   &kOptRunAsProgram,
    &kOptPowerOffIndex, &kOptMonitorOffIndex, &kOptRenderScale,
};
inline constexpr TOptionTable kApplicationOptions{"application", kApplicationOptionList};

}  // namespace velmora
