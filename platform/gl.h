#pragma once
// OpenGL 1.1 and GLU for every layer that draws. On Windows the GL headers want three of the
// system's calling-convention macros; they are given here for the headers alone and taken back
// afterwards, so the show's own names never meet the whole Windows API (which has, for one,
// its own FlashWindow). A file that has included the whole API already keeps the system's.
#ifdef _WIN32
#ifndef APIENTRY
#define APIENTRY __stdcall
#define KK_GL_OWN_APIENTRY
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#define KK_GL_OWN_WINGDIAPI
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#define KK_GL_OWN_CALLBACK
#endif
#endif

#include <GL/gl.h>
#include <GL/glu.h>

#ifdef KK_GL_OWN_APIENTRY
#undef APIENTRY
#undef KK_GL_OWN_APIENTRY
#endif
#ifdef KK_GL_OWN_WINGDIAPI
#undef WINGDIAPI
#undef KK_GL_OWN_WINGDIAPI
#endif
#ifdef KK_GL_OWN_CALLBACK
#undef CALLBACK
#undef KK_GL_OWN_CALLBACK
#endif

// Windows' GL 1.1 header stops before the BGRA pixel order that every driver reads back fastest.
#ifndef GL_BGRA_EXT
#define GL_BGRA_EXT 0x80E1
#endif
