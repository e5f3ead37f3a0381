#include "platform/pagesift/regularfilestream.h"

#include "platform/os/regularfile.h"

extern "C" {
#include <mupdf/fitz.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

struct fileState {
    std::shared_ptr<const RegularFile> file;
    unsigned char buffer[8192];
};

// MuPDF's position (stream->pos) is that of the end of what is buffered.
int nextBytes(fz_context* ctx, fz_stream* stream, size_t)
{
    auto* state = static_cast<fileState*>(stream->state);
    const qint64 count = state->file->readAt(stream->pos, reinterpret_cast<char*>(state->buffer),
                                             sizeof state->buffer);
    if (count < 0)
        fz_throw(ctx, FZ_ERROR_GENERIC, "cannot read file: %s", strerror(errno));
    stream->rp = state->buffer;
    stream->wp = state->buffer + count;
    stream->pos += count;
    if (count == 0)
        return EOF;
    return *stream->rp++;
}

void seekTo(fz_context* ctx, fz_stream* stream, int64_t offset, int whence)
{
    auto* state = static_cast<fileState*>(stream->state);
    if (whence == SEEK_CUR) {
        offset += stream->pos - (stream->wp - stream->rp);
    } else if (whence == SEEK_END) {
        const qint64 size = state->file->size();
        if (size < 0)
            fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek in file: %s", strerror(errno));
        offset += size;
    }
    if (offset < 0)
        fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek in file: before its start");
    stream->pos = offset;
    stream->rp = state->buffer;
    stream->wp = state->buffer;
}

void dropState(fz_context*, void* opaque)
{
    delete static_cast<fileState*>(opaque);
}

} // namespace

fz_stream* openRegularFileStream(fz_context* ctx, const std::shared_ptr<const RegularFile>& file)
{
    auto* state = new (std::nothrow) fileState{file, {}};
    if (!state)
        fz_throw(ctx, FZ_ERROR_MEMORY, "cannot open file: out of memory");
    // A stream that cannot be made drops its state itself.
    fz_stream* stream = fz_new_stream(ctx, state, nextBytes, dropState);
    stream->seek = seekTo;
    return stream;
}
