/* The image converter library: one conversion of an uncompressed bitmap file into the handset
 * graphic, written as C source text. Diagnostic lines go to standard output. */
#ifndef ZEMLO_PICMILL_H
#define ZEMLO_PICMILL_H

#ifdef __cplusplus
extern "C" {
#endif

/* On Windows the library is picmill.dll and ConvertBmp is __cdecl, exported under its plain name;
 * the display driver display.dll lies beside it. */
#if defined(_WIN32)
#define PICMILL_LIBRARY_NAME "picmill.dll"
#define PICMILL_CALL __cdecl
#if defined(PICMILL_BUILDING)
#define PICMILL_EXPORT __declspec(dllexport)
#else
#define PICMILL_EXPORT __declspec(dllimport)
#endif
#else
#define PICMILL_LIBRARY_NAME "libpicmill.so"
#define PICMILL_CALL
#if defined(PICMILL_BUILDING)
#define PICMILL_EXPORT __attribute__((visibility("default")))
#else
#define PICMILL_EXPORT
#endif
#endif
#define PICMILL_CONVERT_SYMBOL "ConvertBmp"

/* Returns 1 when the text file was written, 0 otherwise. */
PICMILL_EXPORT int PICMILL_CALL ConvertBmp(const char *bitmap_path, const char *text_path);

typedef int(PICMILL_CALL *ConvertBmpFn)(const char *bitmap_path, const char *text_path);

#ifdef __cplusplus
}
#endif

#endif
