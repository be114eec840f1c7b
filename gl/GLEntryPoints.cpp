#include "gl/GLEntryPoints.h"

namespace velmora {

TGLEntryPoints GL;

}  // namespace velmora
