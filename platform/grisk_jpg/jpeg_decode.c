#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <jerror.h>
#include <jpeglib.h>

#include "picture_decoder.h"

typedef struct jpeg_decode_job {
  struct jpeg_decompress_struct info;
  struct jpeg_error_mgr errors;
  jmp_buf on_failure;
  int created;
  int failed;
  unsigned char* cmyk_row; /* one row of four-component samples, for CMYK pictures */
  char message[JMSG_LENGTH_MAX + 40];
} jpeg_decode_job;

static void fail(jpeg_decode_job* job, const char* text) {
  snprintf(job->message, sizeof job->message, "%s", text);
  job->failed = 1;
}

static void on_error(j_common_ptr info) {
  jpeg_decode_job* job = (jpeg_decode_job*)info->client_data;
  char text[JMSG_LENGTH_MAX];
  info->err->format_message(info, text);
  fail(job, text);
  longjmp(job->on_failure, 1);
}

/* A file cut short is decoded to the end with grey filling in; refuse it instead. Other
   warnings (stray bytes between markers and the like) are common in real files. */
static void on_message(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
    jpeg_decode_job* job = (jpeg_decode_job*)info->client_data;
    fail(job, "the file ends too early");
    longjmp(job->on_failure, 1);
  }
}

static void* begin(const unsigned char* data, size_t size) {
  jpeg_decode_job* job = (jpeg_decode_job*)calloc(1, sizeof *job);
  if (job == NULL) return NULL;
  if (size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) {
    fail(job, "it is not a JPEG file");
    return job;
  }
  job->info.err = jpeg_std_error(&job->errors);
  job->errors.error_exit = on_error;
  job->errors.emit_message = on_message;
  job->info.client_data = job;
  if (setjmp(job->on_failure)) return job;
  jpeg_create_decompress(&job->info);
  job->created = 1;
  jpeg_mem_src(&job->info, data, (unsigned long)size);
  jpeg_read_header(&job->info, TRUE);
  switch (job->info.jpeg_color_space) {
    case JCS_CMYK:
    case JCS_YCCK:
      job->info.out_color_space = JCS_CMYK;
      break;
    default: /* grey, RGB and YCbCr */
      job->info.out_color_space = JCS_EXT_RGBA;
      break;
  }
  return job;
}

static unsigned width(const void* job) { return ((const jpeg_decode_job*)job)->info.image_width; }
static unsigned height(const void* job) { return ((const jpeg_decode_job*)job)->info.image_height; }
static int failed(const void* job) { return ((const jpeg_decode_job*)job)->failed; }
static const char* message(const void* job) { return ((const jpeg_decode_job*)job)->message; }

/* Adobe writes CMYK inverted (0 is full ink); other writers do not. */
static void cmyk_to_rgba(const unsigned char* in, unsigned char* out, unsigned width,
                         int inverted) {
  unsigned x;
  for (x = 0; x < width; ++x, in += 4, out += 4) {
    unsigned c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[0] = (unsigned char)((c * k + 127) / 255);
    out[1] = (unsigned char)((m * k + 127) / 255);
    out[2] = (unsigned char)((y * k + 127) / 255);
    out[3] = 255;
  }
}

static int pixels(void* opaque, unsigned char** rows) {
  jpeg_decode_job* job = (jpeg_decode_job*)opaque;
  struct jpeg_decompress_struct* info = &job->info;
  if (job->failed) return 0;
  if (setjmp(job->on_failure)) return 0;
  jpeg_start_decompress(info);
  if (info->out_color_space == JCS_CMYK) {
    job->cmyk_row = (unsigned char*)malloc((size_t)info->output_width * 4);
    if (job->cmyk_row == NULL) {
      fail(job, "out of memory");
      return 0;
    }
  }
  while (info->output_scanline < info->output_height) {
    unsigned row = info->output_scanline;
    if (job->cmyk_row != NULL) {
      JSAMPROW in = job->cmyk_row;
      jpeg_read_scanlines(info, &in, 1);
      cmyk_to_rgba(job->cmyk_row, rows[row], info->output_width, info->saw_Adobe_marker);
    } else {
      JSAMPROW out = rows[row];
      jpeg_read_scanlines(info, &out, 1);
    }
  }
  /* Nothing after the last row matters: a missing end marker is not worth refusing. */
  return 1;
}

static void end(void* opaque) {
  jpeg_decode_job* job = (jpeg_decode_job*)opaque;
  if (job == NULL) return;
  if (job->created) jpeg_destroy_decompress(&job->info);
  free(job->cmyk_row);
  free(job);
}

const picture_decoder jpeg_picture_decoder = {begin, width, height, pixels, failed, message, end};
