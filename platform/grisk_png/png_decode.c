#include "picture_decoder.h"

#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct png_decode_job {
  png_structp png;
  png_infop info;
  const unsigned char* data;
  size_t size;
  size_t position;
  png_uint_32 width, height;
  int failed;
  char message[200];
} png_decode_job;

static void on_error(png_structp png, png_const_charp text) {
  png_decode_job* job = (png_decode_job*)png_get_error_ptr(png);
  snprintf(job->message, sizeof job->message, "%s", text != NULL ? text : "broken file");
  job->failed = 1;
  png_longjmp(png, 1);
}

static void on_warning(png_structp png, png_const_charp text) {
  (void)png;
  (void)text;
}

static void read_bytes(png_structp png, png_bytep out, png_size_t count) {
  png_decode_job* job = (png_decode_job*)png_get_io_ptr(png);
  if (count > job->size - job->position) png_error(png, "the file ends too early");
  memcpy(out, job->data + job->position, count);
  job->position += count;
}

static void fail(png_decode_job* job, const char* text) {
  snprintf(job->message, sizeof job->message, "%s", text);
  job->failed = 1;
}

static void* begin(const unsigned char* data, size_t size) {
  png_decode_job* job = (png_decode_job*)calloc(1, sizeof *job);
  if (job == NULL) return NULL;
  job->data = data;
  job->size = size;
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) {
    fail(job, "it is not a PNG file");
    return job;
  }
  job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, on_error, on_warning);
  job->info = job->png != NULL ? png_create_info_struct(job->png) : NULL;
  if (job->info == NULL) {
    fail(job, "out of memory");
    return job;
  }
  if (setjmp(png_jmpbuf(job->png))) return job;
#ifdef PNG_IGNORE_ADLER32
  /* Each chunk's CRC already guards the compressed bytes; zlib's own sum would cost a quarter of
     the decode again. */
  png_set_option(job->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_set_read_fn(job->png, job, read_bytes);
  png_read_info(job->png, job->info);
  job->width = png_get_image_width(job->png, job->info);
  job->height = png_get_image_height(job->png, job->info);

  png_set_expand(job->png); /* palette, grey below 8 bits and tRNS become RGB(A) */
  png_set_strip_16(job->png);
  png_set_gray_to_rgb(job->png);
  png_set_filler(job->png, 0xff, PNG_FILLER_AFTER);
  png_set_interlace_handling(job->png);
  png_read_update_info(job->png, job->info);
  if (png_get_rowbytes(job->png, job->info) != (size_t)job->width * 4)
    fail(job, "its colour format cannot be converted");
  return job;
}

static unsigned width(const void* job) { return ((const png_decode_job*)job)->width; }
static unsigned height(const void* job) { return ((const png_decode_job*)job)->height; }
static int failed(const void* job) { return ((const png_decode_job*)job)->failed; }
static const char* message(const void* job) { return ((const png_decode_job*)job)->message; }

static int pixels(void* opaque, unsigned char** rows) {
  png_decode_job* job = (png_decode_job*)opaque;
  if (job->failed) return 0;
  if (setjmp(png_jmpbuf(job->png))) return 0;
  png_read_image(job->png, rows);
  return 1;
}

static void end(void* opaque) {
  png_decode_job* job = (png_decode_job*)opaque;
  if (job == NULL) return;
  if (job->png != NULL) png_destroy_read_struct(&job->png, job->info != NULL ? &job->info : NULL, NULL);
  free(job);
}

const picture_decoder png_picture_decoder = {begin, width, height, pixels, failed, message, end};
