#ifndef FITZFDSTREAM_H
#define FITZFDSTREAM_H

// A MuPDF stream that reads an open file descriptor, for the preview, which
// opens its file itself and hands the viewer core the descriptor.

struct fz_context;
struct fz_stream;

// The stream owns the descriptor from this call on: it is closed when the
// stream goes, also when this call fails. Throws MuPDF's exceptions: call it
// inside fz_try.
fz_stream* openDescriptorStream(fz_context* ctx, int fd);

#endif
