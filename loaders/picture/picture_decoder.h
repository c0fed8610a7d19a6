#ifndef GRISK_PICTURE_DECODER_H
#define GRISK_PICTURE_DECODER_H
/* A picture decoder in two steps, written in C because libpng and libjpeg report errors with
   longjmp, which must not skip a C++ destructor. The caller makes the surface in between. */

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct picture_decoder {
  /* Reads the header of the file in data[0..size); null only when out of memory, otherwise
     check failed(). data must outlive the job. */
  void* (*begin)(const unsigned char* data, size_t size);
  unsigned (*width)(const void* job);
  unsigned (*height)(const void* job);
  /* Decodes to 8-bit RGBA; rows[r] receives picture row r (the top row first), width * 4
     bytes. 0 on failure. */
  int (*pixels)(void* job, unsigned char** rows);
  /* Non-zero after a failure; message() says why in words for the user. */
  int (*failed)(const void* job);
  const char* (*message)(const void* job);
  void (*end)(void* job);
} picture_decoder;

#ifdef __cplusplus
}
#endif

#endif
