// A scene file that reaches up into the application shell.
#include "scene/MainScene.h"
#include "app/GLApplication.h"
