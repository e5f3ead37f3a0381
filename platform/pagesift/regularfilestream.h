#ifndef REGULARFILESTREAM_H
#define REGULARFILESTREAM_H

// A MuPDF stream over a RegularFile: how every PDF a user names is read, by
// the parser, the page grabber and the preview alike. Each stream keeps its
// own position and buffer and reads by offset, so several streams, each in
// a context of its own and on threads of their own, read one opened file
// independently, and none of them opens the path again.

#include <memory>

struct fz_context;
struct fz_stream;

class RegularFile;

// The stream keeps the file open until MuPDF drops it. Throws MuPDF's
// exceptions: call it inside fz_try.
fz_stream* openRegularFileStream(fz_context* ctx, const std::shared_ptr<const RegularFile>& file);

#endif
