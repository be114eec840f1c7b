#include "gl/Texture.h"
#include "assets/Bitmap.h"
