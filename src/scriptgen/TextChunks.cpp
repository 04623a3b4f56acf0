#include "TextChunks.h"

#include <QtGlobal>

#include <new>

#include <algorithm>
#include <cstdlib>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace vendrel {

namespace {

/// A block of `size` bytes, a multiple of the block size. On Linux the blocks are asked to be backed by
/// huge pages: a script of tens of megabytes then costs the kernel a few dozen page faults, not tens of
/// thousands.
char* allocateBlock(qsizetype size)
{
    constexpr std::size_t alignment = std::size_t(1) << 21;
    auto* block = static_cast<char*>(std::aligned_alloc(alignment, std::size_t(size)));
    if (!block)
        throw std::bad_alloc();
#ifdef Q_OS_LINUX
    madvise(block, std::size_t(size), MADV_HUGEPAGE);
#endif
    return block;
}

} // namespace

void TextChunks::FreeBlock::operator()(char* block) const
{
    std::free(block);
}

void TextChunks::appendView(QStringView text)
{
    const qsizetype most = m_encoder.requiredSpace(text.size());
    if (m_chunks.empty() || m_chunks.back().capacity - m_chunks.back().used < most) {
        // Whole blocks only: aligned_alloc wants a multiple of the alignment.
        const qsizetype capacity =
            (std::max(minimumChunk, most) + minimumChunk - 1) / minimumChunk * minimumChunk;
        m_chunks.push_back({std::unique_ptr<char[], FreeBlock>(allocateBlock(capacity)), 0, capacity});
    }
    Chunk& chunk = m_chunks.back();
    char* const start = chunk.data.get() + chunk.used;
    const qsizetype written = m_encoder.appendToBuffer(start, text) - start;
    chunk.used += written;
    m_size += written;
}

void TextChunks::appendTo(QByteArray& out) const
{
    for (const Chunk& chunk : m_chunks)
        out.append(chunk.data.get(), chunk.used);
}

} // namespace vendrel
