#!/bin/sh
# Runs a test program headless: rendering through Mesa's offscreen EGL
# driver, sound into the dummy device. CTest starts every test through it.
: "${SDL_VIDEODRIVER:=offscreen}"
: "${SDL_AUDIODRIVER:=dummy}"
export SDL_VIDEODRIVER SDL_AUDIODRIVER
exec "$@"
