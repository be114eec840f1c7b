// The process-wide table of OpenGL entry points.
//
// Nothing in the program links against the GL library: LoadOpenGL (gl/OpenGL.h)
// loads it at run time and fills this table by name, and every GL call goes
// through it, e.g. GL.glBegin(GL_TRIANGLES). Every pointer is empty while no
// library is loaded; a core name the library does not export stays empty too.
// Extension pointers are resolved by LoadExtensions once a context is current
// and only when the driver lists the extension that defines them, because the
// window system's lookup hands out a stub for any name it is asked about.
// Callers of anything optional test the pointer first:
//
//   if (GL.glActiveTextureARB) GL.glActiveTextureARB(GL_TEXTURE1_ARB);
//
// The constants come from <GL/gl.h> and <GL/glext.h>, included without
// prototypes of the extension functions so that the names here are the only
// way to reach them.
#pragma once

#undef GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

namespace platform {
class NativeWindow;
}

namespace velmora {

// Core functions, named as the library exports them. The list macros let the
// loader walk the same names that declare the members.

#define VELMORA_GL11_FUNCTIONS(X) \
  X(glAccum) \
  X(glAlphaFunc) \
  X(glAreTexturesResident) \
  X(glArrayElement) \
  X(glBegin) \
  X(glBindTexture) \
  X(glBitmap) \
  X(glBlendFunc) \
  X(glCallList) \
  X(glCallLists) \
  X(glClear) \
  X(glClearAccum) \
  X(glClearColor) \
  X(glClearDepth) \
  X(glClearIndex) \
  X(glClearStencil) \
  X(glClipPlane) \
  X(glColor3b) \
  X(glColor3bv) \
  X(glColor3d) \
  X(glColor3dv) \
  X(glColor3f) \
  X(glColor3fv) \
  X(glColor3i) \
  X(glColor3iv) \
  X(glColor3s) \
  X(glColor3sv) \
  X(glColor3ub) \
  X(glColor3ubv) \
  X(glColor3ui) \
  X(glColor3uiv) \
  X(glColor3us) \
  X(glColor3usv) \
  X(glColor4b) \
  X(glColor4bv) \
  X(glColor4d) \
  X(glColor4dv) \
  X(glColor4f) \
  X(glColor4fv) \
  X(glColor4i) \
  X(glColor4iv) \
  X(glColor4s) \
  X(glColor4sv) \
  X(glColor4ub) \
  X(glColor4ubv) \
  X(glColor4ui) \
  X(glColor4uiv) \
  X(glColor4us) \
  X(glColor4usv) \
  X(glColorMask) \
  X(glColorMaterial) \
  X(glColorPointer) \
  X(glCopyPixels) \
  X(glCopyTexImage1D) \
  X(glCopyTexImage2D) \
  X(glCopyTexSubImage1D) \
  X(glCopyTexSubImage2D) \
  X(glCullFace) \
  X(glDeleteLists) \
  X(glDeleteTextures) \
  X(glDepthFunc) \
  X(glDepthMask) \
  X(glDepthRange) \
  X(glDisable) \
  X(glDisableClientState) \
  X(glDrawArrays) \
  X(glDrawBuffer) \
  X(glDrawElements) \
  X(glDrawPixels) \
  X(glEdgeFlag) \
  X(glEdgeFlagPointer) \
  X(glEdgeFlagv) \
  X(glEnable) \
  X(glEnableClientState) \
  X(glEnd) \
  X(glEndList) \
  X(glEvalCoord1d) \
  X(glEvalCoord1dv) \
  X(glEvalCoord1f) \
  X(glEvalCoord1fv) \
  X(glEvalCoord2d) \
  X(glEvalCoord2dv) \
  X(glEvalCoord2f) \
  X(glEvalCoord2fv) \
  X(glEvalMesh1) \
  X(glEvalMesh2) \
  X(glEvalPoint1) \
  X(glEvalPoint2) \
  X(glFeedbackBuffer) \
  X(glFinish) \
  X(glFlush) \
  X(glFogf) \
  X(glFogfv) \
  X(glFogi) \
  X(glFogiv) \
  X(glFrontFace) \
  X(glFrustum) \
  X(glGenLists) \
  X(glGenTextures) \
  X(glGetBooleanv) \
  X(glGetClipPlane) \
  X(glGetDoublev) \
  X(glGetError) \
  X(glGetFloatv) \
  X(glGetIntegerv) \
  X(glGetLightfv) \
  X(glGetLightiv) \
  X(glGetMapdv) \
  X(glGetMapfv) \
  X(glGetMapiv) \
  X(glGetMaterialfv) \
  X(glGetMaterialiv) \
  X(glGetPixelMapfv) \
  X(glGetPixelMapuiv) \
  X(glGetPixelMapusv) \
  X(glGetPointerv) \
  X(glGetPolygonStipple) \
  X(glGetString) \
  X(glGetTexEnvfv) \
  X(glGetTexEnviv) \
  X(glGetTexGendv) \
  X(glGetTexGenfv) \
  X(glGetTexGeniv) \
  X(glGetTexImage) \
  X(glGetTexLevelParameterfv) \
  X(glGetTexLevelParameteriv) \
  X(glGetTexParameterfv) \
  X(glGetTexParameteriv) \
  X(glHint) \
  X(glIndexMask) \
  X(glIndexPointer) \
  X(glIndexd) \
  X(glIndexdv) \
  X(glIndexf) \
  X(glIndexfv) \
  X(glIndexi) \
  X(glIndexiv) \
  X(glIndexs) \
  X(glIndexsv) \
  X(glIndexub) \
  X(glIndexubv) \
  X(glInitNames) \
  X(glInterleavedArrays) \
  X(glIsEnabled) \
  X(glIsList) \
  X(glIsTexture) \
  X(glLightModelf) \
  X(glLightModelfv) \
  X(glLightModeli) \
  X(glLightModeliv) \
  X(glLightf) \
  X(glLightfv) \
  X(glLighti) \
  X(glLightiv) \
  X(glLineStipple) \
  X(glLineWidth) \
  X(glListBase) \
  X(glLoadIdentity) \
  X(glLoadMatrixd) \
  X(glLoadMatrixf) \
  X(glLoadName) \
  X(glLogicOp) \
  X(glMap1d) \
  X(glMap1f) \
  X(glMap2d) \
  X(glMap2f) \
  X(glMapGrid1d) \
  X(glMapGrid1f) \
  X(glMapGrid2d) \
  X(glMapGrid2f) \
  X(glMaterialf) \
  X(glMaterialfv) \
  X(glMateriali) \
  X(glMaterialiv) \
  X(glMatrixMode) \
  X(glMultMatrixd) \
  X(glMultMatrixf) \
  X(glNewList) \
  X(glNormal3b) \
  X(glNormal3bv) \
  X(glNormal3d) \
  X(glNormal3dv) \
  X(glNormal3f) \
  X(glNormal3fv) \
  X(glNormal3i) \
  X(glNormal3iv) \
  X(glNormal3s) \
  X(glNormal3sv) \
  X(glNormalPointer) \
  X(glOrtho) \
  X(glPassThrough) \
  X(glPixelMapfv) \
  X(glPixelMapuiv) \
  X(glPixelMapusv) \
  X(glPixelStoref) \
  X(glPixelStorei) \
  X(glPixelTransferf) \
  X(glPixelTransferi) \
  X(glPixelZoom) \
  X(glPointSize) \
  X(glPolygonMode) \
  X(glPolygonOffset) \
  X(glPolygonStipple) \
  X(glPopAttrib) \
  X(glPopClientAttrib) \
  X(glPopMatrix) \
  X(glPopName) \
  X(glPrioritizeTextures) \
  X(glPushAttrib) \
  X(glPushClientAttrib) \
  X(glPushMatrix) \
  X(glPushName) \
  X(glRasterPos2d) \
  X(glRasterPos2dv) \
  X(glRasterPos2f) \
  X(glRasterPos2fv) \
  X(glRasterPos2i) \
  X(glRasterPos2iv) \
  X(glRasterPos2s) \
  X(glRasterPos2sv) \
  X(glRasterPos3d) \
  X(glRasterPos3dv) \
  X(glRasterPos3f) \
  X(glRasterPos3fv) \
  X(glRasterPos3i) \
  X(glRasterPos3iv) \
  X(glRasterPos3s) \
  X(glRasterPos3sv) \
  X(glRasterPos4d) \
  X(glRasterPos4dv) \
  X(glRasterPos4f) \
  X(glRasterPos4fv) \
  X(glRasterPos4i) \
  X(glRasterPos4iv) \
  X(glRasterPos4s) \
  X(glRasterPos4sv) \
  X(glReadBuffer) \
  X(glReadPixels) \
  X(glRectd) \
  X(glRectdv) \
  X(glRectf) \
  X(glRectfv) \
  X(glRecti) \
  X(glRectiv) \
  X(glRects) \
  X(glRectsv) \
  X(glRenderMode) \
  X(glRotated) \
  X(glRotatef) \
  X(glScaled) \
  X(glScalef) \
  X(glScissor) \
  X(glSelectBuffer) \
  X(glShadeModel) \
  X(glStencilFunc) \
  X(glStencilMask) \
  X(glStencilOp) \
  X(glTexCoord1d) \
  X(glTexCoord1dv) \
  X(glTexCoord1f) \
  X(glTexCoord1fv) \
  X(glTexCoord1i) \
  X(glTexCoord1iv) \
  X(glTexCoord1s) \
  X(glTexCoord1sv) \
  X(glTexCoord2d) \
  X(glTexCoord2dv) \
  X(glTexCoord2f) \
  X(glTexCoord2fv) \
  X(glTexCoord2i) \
  X(glTexCoord2iv) \
  X(glTexCoord2s) \
  X(glTexCoord2sv) \
  X(glTexCoord3d) \
  X(glTexCoord3dv) \
  X(glTexCoord3f) \
  X(glTexCoord3fv) \
  X(glTexCoord3i) \
  X(glTexCoord3iv) \
  X(glTexCoord3s) \
  X(glTexCoord3sv) \
  X(glTexCoord4d) \
  X(glTexCoord4dv) \
  X(glTexCoord4f) \
  X(glTexCoord4fv) \
  X(glTexCoord4i) \
  X(glTexCoord4iv) \
  X(glTexCoord4s) \
  X(glTexCoord4sv) \
  X(glTexCoordPointer) \
  X(glTexEnvf) \
  X(glTexEnvfv) \
  X(glTexEnvi) \
  X(glTexEnviv) \
  X(glTexGend) \
  X(glTexGendv) \
  X(glTexGenf) \
  X(glTexGenfv) \
  X(glTexGeni) \
  X(glTexGeniv) \
  X(glTexImage1D) \
  X(glTexImage2D) \
  X(glTexParameterf) \
  X(glTexParameterfv) \
  X(glTexParameteri) \
  X(glTexParameteriv) \
  X(glTexSubImage1D) \
  X(glTexSubImage2D) \
  X(glTranslated) \
  X(glTranslatef) \
  X(glVertex2d) \
  X(glVertex2dv) \
  X(glVertex2f) \
  X(glVertex2fv) \
  X(glVertex2i) \
  X(glVertex2iv) \
  X(glVertex2s) \
  X(glVertex2sv) \
  X(glVertex3d) \
  X(glVertex3dv) \
  X(glVertex3f) \
  X(glVertex3fv) \
  X(glVertex3i) \
  X(glVertex3iv) \
  X(glVertex3s) \
  X(glVertex3sv) \
  X(glVertex4d) \
  X(glVertex4dv) \
  X(glVertex4f) \
  X(glVertex4fv) \
  X(glVertex4i) \
  X(glVertex4iv) \
  X(glVertex4s) \
  X(glVertex4sv) \
  X(glVertexPointer) \
  X(glViewport)

// The OpenGL 1.2 and 1.3 additions (imaging subset, 3D and compressed textures,
// multisample, multitexture, transpose matrices).
#define VELMORA_GL12_13_FUNCTIONS(X) \
  X(glDrawRangeElements) \
  X(glTexImage3D) \
  X(glTexSubImage3D) \
  X(glCopyTexSubImage3D) \
  X(glColorTable) \
  X(glColorSubTable) \
  X(glColorTableParameteriv) \
  X(glColorTableParameterfv) \
  X(glCopyColorSubTable) \
  X(glCopyColorTable) \
  X(glGetColorTable) \
  X(glGetColorTableParameterfv) \
  X(glGetColorTableParameteriv) \
  X(glBlendEquation) \
  X(glBlendColor) \
  X(glHistogram) \
  X(glResetHistogram) \
  X(glGetHistogram) \
  X(glGetHistogramParameterfv) \
  X(glGetHistogramParameteriv) \
  X(glMinmax) \
  X(glResetMinmax) \
  X(glGetMinmax) \
  X(glGetMinmaxParameterfv) \
  X(glGetMinmaxParameteriv) \
  X(glConvolutionFilter1D) \
  X(glConvolutionFilter2D) \
  X(glConvolutionParameterf) \
  X(glConvolutionParameterfv) \
  X(glConvolutionParameteri) \
  X(glConvolutionParameteriv) \
  X(glCopyConvolutionFilter1D) \
  X(glCopyConvolutionFilter2D) \
  X(glGetConvolutionFilter) \
  X(glGetConvolutionParameterfv) \
  X(glGetConvolutionParameteriv) \
  X(glSeparableFilter2D) \
  X(glGetSeparableFilter) \
  X(glActiveTexture) \
  X(glClientActiveTexture) \
  X(glCompressedTexImage1D) \
  X(glCompressedTexImage2D) \
  X(glCompressedTexImage3D) \
  X(glCompressedTexSubImage1D) \
  X(glCompressedTexSubImage2D) \
  X(glCompressedTexSubImage3D) \
  X(glGetCompressedTexImage) \
  X(glMultiTexCoord1d) \
  X(glMultiTexCoord1dv) \
  X(glMultiTexCoord1f) \
  X(glMultiTexCoord1fv) \
  X(glMultiTexCoord1i) \
  X(glMultiTexCoord1iv) \
  X(glMultiTexCoord1s) \
  X(glMultiTexCoord1sv) \
  X(glMultiTexCoord2d) \
  X(glMultiTexCoord2dv) \
  X(glMultiTexCoord2f) \
  X(glMultiTexCoord2fv) \
  X(glMultiTexCoord2i) \
  X(glMultiTexCoord2iv) \
  X(glMultiTexCoord2s) \
  X(glMultiTexCoord2sv) \
  X(glMultiTexCoord3d) \
  X(glMultiTexCoord3dv) \
  X(glMultiTexCoord3f) \
  X(glMultiTexCoord3fv) \
  X(glMultiTexCoord3i) \
  X(glMultiTexCoord3iv) \
  X(glMultiTexCoord3s) \
  X(glMultiTexCoord3sv) \
  X(glMultiTexCoord4d) \
  X(glMultiTexCoord4dv) \
  X(glMultiTexCoord4f) \
  X(glMultiTexCoord4fv) \
  X(glMultiTexCoord4i) \
  X(glMultiTexCoord4iv) \
  X(glMultiTexCoord4s) \
  X(glMultiTexCoord4sv) \
  X(glLoadTransposeMatrixd) \
  X(glLoadTransposeMatrixf) \
  X(glMultTransposeMatrixd) \
  X(glMultTransposeMatrixf) \
  X(glSampleCoverage)

// Extension functions: the extension that must be listed, the pointer type,
// the name.
#define VELMORA_GL_EXTENSION_FUNCTIONS(X) \
  X("GL_EXT_vertex_array", PFNGLARRAYELEMENTEXTPROC, glArrayElementEXT) \
  X("GL_EXT_vertex_array", PFNGLCOLORPOINTEREXTPROC, glColorPointerEXT) \
  X("GL_EXT_vertex_array", PFNGLDRAWARRAYSEXTPROC, glDrawArraysEXT) \
  X("GL_EXT_vertex_array", PFNGLEDGEFLAGPOINTEREXTPROC, glEdgeFlagPointerEXT) \
  X("GL_EXT_vertex_array", PFNGLGETPOINTERVEXTPROC, glGetPointervEXT) \
  X("GL_EXT_vertex_array", PFNGLINDEXPOINTEREXTPROC, glIndexPointerEXT) \
  X("GL_EXT_vertex_array", PFNGLNORMALPOINTEREXTPROC, glNormalPointerEXT) \
  X("GL_EXT_vertex_array", PFNGLTEXCOORDPOINTEREXTPROC, glTexCoordPointerEXT) \
  X("GL_EXT_vertex_array", PFNGLVERTEXPOINTEREXTPROC, glVertexPointerEXT) \
  X("GL_EXT_paletted_texture", PFNGLCOLORTABLEEXTPROC, glColorTableEXT) \
  X("GL_EXT_paletted_texture", PFNGLGETCOLORTABLEEXTPROC, glGetColorTableEXT) \
  X("GL_EXT_color_subtable", PFNGLCOLORSUBTABLEEXTPROC, glColorSubTableEXT) \
  X("GL_EXT_compiled_vertex_array", PFNGLLOCKARRAYSEXTPROC, glLockArraysEXT) \
  X("GL_EXT_compiled_vertex_array", PFNGLUNLOCKARRAYSEXTPROC, glUnlockArraysEXT) \
  X("GL_EXT_copy_texture", PFNGLCOPYTEXIMAGE1DEXTPROC, glCopyTexImage1DEXT) \
  X("GL_EXT_copy_texture", PFNGLCOPYTEXIMAGE2DEXTPROC, glCopyTexImage2DEXT) \
  X("GL_EXT_copy_texture", PFNGLCOPYTEXSUBIMAGE1DEXTPROC, glCopyTexSubImage1DEXT) \
  X("GL_EXT_copy_texture", PFNGLCOPYTEXSUBIMAGE2DEXTPROC, glCopyTexSubImage2DEXT) \
  X("GL_EXT_copy_texture", PFNGLCOPYTEXSUBIMAGE3DEXTPROC, glCopyTexSubImage3DEXT) \
  X("GL_EXT_subtexture", PFNGLTEXSUBIMAGE1DEXTPROC, glTexSubImage1DEXT) \
  X("GL_EXT_subtexture", PFNGLTEXSUBIMAGE2DEXTPROC, glTexSubImage2DEXT) \
  X("GL_EXT_cull_vertex", PFNGLCULLPARAMETERFVEXTPROC, glCullParameterfvEXT) \
  X("GL_EXT_cull_vertex", PFNGLCULLPARAMETERDVEXTPROC, glCullParameterdvEXT) \
  X("GL_EXT_index_func", PFNGLINDEXFUNCEXTPROC, glIndexFuncEXT) \
  X("GL_EXT_index_material", PFNGLINDEXMATERIALEXTPROC, glIndexMaterialEXT) \
  X("GL_EXT_polygon_offset", PFNGLPOLYGONOFFSETEXTPROC, glPolygonOffsetEXT) \
  X("GL_EXT_texture_object", PFNGLGENTEXTURESEXTPROC, glGenTexturesEXT) \
  X("GL_EXT_texture_object", PFNGLDELETETEXTURESEXTPROC, glDeleteTexturesEXT) \
  X("GL_EXT_texture_object", PFNGLBINDTEXTUREEXTPROC, glBindTextureEXT) \
  X("GL_EXT_texture_object", PFNGLPRIORITIZETEXTURESEXTPROC, glPrioritizeTexturesEXT) \
  X("GL_EXT_texture_object", PFNGLARETEXTURESRESIDENTEXTPROC, glAreTexturesResidentEXT) \
  X("GL_EXT_texture_object", PFNGLISTEXTUREEXTPROC, glIsTextureEXT) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD1DARBPROC, glMultiTexCoord1dARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD1DVARBPROC, glMultiTexCoord1dvARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD1FARBPROC, glMultiTexCoord1fARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD1FVARBPROC, glMultiTexCoord1fvARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD1IARBPROC, glMultiTexCoord1iARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD1IVARBPROC, glMultiTexCoord1ivARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD1SARBPROC, glMultiTexCoord1sARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD1SVARBPROC, glMultiTexCoord1svARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD2DARBPROC, glMultiTexCoord2dARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD2DVARBPROC, glMultiTexCoord2dvARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD2FARBPROC, glMultiTexCoord2fARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD2FVARBPROC, glMultiTexCoord2fvARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD2IARBPROC, glMultiTexCoord2iARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD2IVARBPROC, glMultiTexCoord2ivARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD2SARBPROC, glMultiTexCoord2sARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD2SVARBPROC, glMultiTexCoord2svARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD3DARBPROC, glMultiTexCoord3dARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD3DVARBPROC, glMultiTexCoord3dvARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD3FARBPROC, glMultiTexCoord3fARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD3FVARBPROC, glMultiTexCoord3fvARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD3IARBPROC, glMultiTexCoord3iARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD3IVARBPROC, glMultiTexCoord3ivARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD3SARBPROC, glMultiTexCoord3sARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD3SVARBPROC, glMultiTexCoord3svARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD4DARBPROC, glMultiTexCoord4dARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD4DVARBPROC, glMultiTexCoord4dvARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD4FARBPROC, glMultiTexCoord4fARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD4FVARBPROC, glMultiTexCoord4fvARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD4IARBPROC, glMultiTexCoord4iARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD4IVARBPROC, glMultiTexCoord4ivARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD4SARBPROC, glMultiTexCoord4sARB) \
  X("GL_ARB_multitexture", PFNGLMULTITEXCOORD4SVARBPROC, glMultiTexCoord4svARB) \
  X("GL_ARB_multitexture", PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB) \
  X("GL_ARB_multitexture", PFNGLCLIENTACTIVETEXTUREARBPROC, glClientActiveTextureARB) \
  X("GL_EXT_point_parameters", PFNGLPOINTPARAMETERFEXTPROC, glPointParameterfEXT) \
  X("GL_EXT_point_parameters", PFNGLPOINTPARAMETERFVEXTPROC, glPointParameterfvEXT) \
  X("GL_EXT_fog_coord", PFNGLFOGCOORDPOINTEREXTPROC, glFogCoordPointerEXT) \
  X("GL_ARB_framebuffer_object", PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers) \
  X("GL_ARB_framebuffer_object", PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers) \
  X("GL_ARB_framebuffer_object", PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer) \
  X("GL_ARB_framebuffer_object", PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus) \
  X("GL_ARB_framebuffer_object", PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers) \
  X("GL_ARB_framebuffer_object", PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers) \
  X("GL_ARB_framebuffer_object", PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer) \
  X("GL_ARB_framebuffer_object", PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage) \
  X("GL_ARB_framebuffer_object", PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer) \
  X("GL_ARB_framebuffer_object", PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)

// The window system's optional functions. They stand for the WGL extension
// entry points of the same names and are backed by the platform's OpenGL
// driver; each is set only when the driver offers the feature.
using TGetExtensionsStringProc = const char* (*)(platform::NativeWindow* window);
using TSwapIntervalProc = bool (*)(int interval);  // false when refused
using TGetSwapIntervalProc = int (*)();

struct TGLEntryPoints {
#define VELMORA_GL_CORE_MEMBER(name) decltype(&::name) name = nullptr;
  VELMORA_GL11_FUNCTIONS(VELMORA_GL_CORE_MEMBER)
  VELMORA_GL12_13_FUNCTIONS(VELMORA_GL_CORE_MEMBER)
#undef VELMORA_GL_CORE_MEMBER

#define VELMORA_GL_EXTENSION_MEMBER(extension, type, name) type name = nullptr;
  VELMORA_GL_EXTENSION_FUNCTIONS(VELMORA_GL_EXTENSION_MEMBER)
#undef VELMORA_GL_EXTENSION_MEMBER

  TGetExtensionsStringProc wglGetExtensionsStringARB = nullptr;
  TSwapIntervalProc wglSwapIntervalEXT = nullptr;
  TGetSwapIntervalProc wglGetSwapIntervalEXT = nullptr;
};

// The one table of the process. Written only by LoadOpenGL, UnloadOpenGL and
// LoadExtensions, on the main thread.
extern TGLEntryPoints GL;

}  // namespace velmora
