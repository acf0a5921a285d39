/* The display driver's entry points, as the image converter library binds them by name.
 * The file image is a whole Windows bitmap file, file header first; the driver trusts its
 * file-size field as the number of bytes it may read. The graphic buffer must hold as many
 * bytes as _gddiGdGraphicMemReq reported. */
#ifndef ZEMLO_DISPLAY_DRIVER_H
#define ZEMLO_DISPLAY_DRIVER_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define GDDI_DESCRIPTION_BYTES 256

typedef int32_t (*GddiDescribeDriverFn)(char *description);
typedef int32_t (*GddiSetConversionDepthFn)(int32_t depth);
typedef uint32_t (*GddiGdGraphicMemReqFn)(const uint8_t *file_image);
typedef int32_t (*GddiConvertBmpToGdGraphicFn)(const uint8_t *file_image, uint8_t *graphic);

/* Writes a NUL-terminated description of at most GDDI_DESCRIPTION_BYTES bytes. Returns 1. */
int32_t _gddiDescribeDriver(char *description);
/* Sets the bits per pixel of the next conversion; only 16 is supported. Returns 1 when
 * supported, 0 otherwise. */
int32_t _gddiSetConversionDepth(int32_t depth);
/* Bytes the graphic of this bitmap needs, or 0 when the driver cannot convert it. */
uint32_t _gddiGdGraphicMemReq(const uint8_t *file_image);
/* Fills the graphic buffer. Returns 1 on success, 0 when the bitmap is refused. */
int32_t _gddiConvertBmpToGdGraphic(const uint8_t *file_image, uint8_t *graphic);

#ifdef __cplusplus
}
#endif

#endif
