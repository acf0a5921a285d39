/* The image converter library: one conversion of an uncompressed bitmap file into the handset
 * graphic, written as C source text. Diagnostic lines go to standard output. */
#ifndef ZEMLO_PICMILL_H
#define ZEMLO_PICMILL_H

#ifdef __cplusplus
extern "C" {
#endif

#define PICMILL_LIBRARY_NAME "libpicmill.so"
#define PICMILL_CONVERT_SYMBOL "ConvertBmp"

/* Returns 1 when the text file was written, 0 otherwise. */
int ConvertBmp(const char *bitmap_path, const char *text_path);

typedef int (*ConvertBmpFn)(const char *bitmap_path, const char *text_path);

#ifdef __cplusplus
}
#endif

#endif
