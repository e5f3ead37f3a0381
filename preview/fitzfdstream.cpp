#include "preview/fitzfdstream.h"

extern "C" {
#include <mupdf/fitz.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

struct descriptorState {
    int fd;
    unsigned char buffer[8192];
};

int nextBytes(fz_context* ctx, fz_stream* stream, size_t)
{
    auto* state = static_cast<descriptorState*>(stream->state);
    ssize_t count;
    do {
        count = ::read(state->fd, state->buffer, sizeof state->buffer);
    } while (count < 0 && errno == EINTR);
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
    auto* state = static_cast<descriptorState*>(stream->state);
    // The descriptor stands ahead of the reader by what is still buffered.
    if (whence == SEEK_CUR) {
        offset += stream->pos - (stream->wp - stream->rp);
        whence = SEEK_SET;
    }
    const off_t at = ::lseek(state->fd, static_cast<off_t>(offset), whence);
    if (at < 0)
        fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek in file: %s", strerror(errno));
    stream->pos = at;
    stream->rp = state->buffer;
    stream->wp = state->buffer;
}

void dropState(fz_context* ctx, void* opaque)
{
    auto* state = static_cast<descriptorState*>(opaque);
    ::close(state->fd);
    fz_free(ctx, state);
}

} // namespace

fz_stream* openDescriptorStream(fz_context* ctx, int fd)
{
    descriptorState* state = nullptr;
    fz_var(state);
    fz_try(ctx)
    {
        state = fz_malloc_struct(ctx, descriptorState);
    }
    fz_catch(ctx)
    {
        ::close(fd);
        fz_rethrow(ctx);
    }
    state->fd = fd;
    fz_stream* stream = fz_new_stream(ctx, state, nextBytes, dropState);
    stream->seek = seekTo;
    return stream;
}
